# Converts the help sources to Shift_JIS and compiles them with chmcmd.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(GLOB sources RELATIVE ${SOURCE} ${SOURCE}/*)
foreach(name ${sources})
  execute_process(COMMAND ${ICONV} -f UTF-8 -t CP932 ${SOURCE}/${name} OUTPUT_FILE ${WORK}/${name}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot convert ${name} to Shift_JIS")
  endif()
endforeach()
execute_process(COMMAND ${CHMCMD} Pelmor.hhp WORKING_DIRECTORY ${WORK} RESULT_VARIABLE failed
                OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(failed OR NOT EXISTS ${WORK}/Pelmor.chm)
  message(FATAL_ERROR "chmcmd failed:\n${log}")
endif()
file(COPY_FILE ${WORK}/Pelmor.chm ${OUTPUT})
