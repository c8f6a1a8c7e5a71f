# Pelmor.exe, its help file, the release zip and the end-to-end suite.
set(APP_SOURCES
  src/shell/main.cpp src/shell/main_window.cpp src/app/app_state.cpp src/app/settings.cpp
  src/store/file_io_win32.cpp src/store/exclusive_rename_win32.cpp src/app/key_store.cpp
  src/clip/clipboard.cpp src/clip/wide_text.cpp src/clip/capture.cpp src/clip/paste.cpp
  src/ui/list_rows.cpp src/ui/dpi.cpp src/ui/list_window.cpp src/ui/list_procs.cpp src/ui/record_rows.cpp src/ui/record_lists.cpp
  src/ui/history_commands.cpp src/ui/filter_line.cpp src/ui/aa_list.cpp src/ui/tray.cpp
  src/ui/commands.cpp src/ui/hotkeys.cpp src/ui/options.cpp src/ui/aux_commands.cpp
  src/ui/sync_view.cpp src/ui/sync_page.cpp
  src/res/Pelmor.rc)

add_executable(Pelmor WIN32 ${PORTABLE_SOURCES} ${APP_SOURCES})
target_compile_options(Pelmor PRIVATE ${WARNINGS} ${CHARSET})
target_compile_definitions(Pelmor PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_link_libraries(Pelmor PRIVATE ${CRYPTO_LIBRARIES} comctl32 comdlg32 shell32 ole32 uuid gdi32 user32 advapi32 crypt32)
set_source_files_properties(src/res/Pelmor.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/src/res/capturing.ico;${CMAKE_SOURCE_DIR}/src/res/paused.ico;${CMAKE_SOURCE_DIR}/src/res/Pelmor.manifest")
if(NOT MSVC)
  # Stripped in a release: libgcrypt's debugging sections alone would be some 7 MB.
  target_link_options(Pelmor PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
endif()

# The help file: sources are kept in UTF-8 and converted to Shift_JIS for the compiler.
find_program(CHMCMD chmcmd)
find_program(ICONV iconv)
if(CHMCMD AND ICONV)
  file(GLOB HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/help/*)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/Pelmor.chm
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR}/help -DWORK=${CMAKE_BINARY_DIR}/help
            -DICONV=${ICONV} -DCHMCMD=${CHMCMD} -DOUTPUT=${CMAKE_BINARY_DIR}/Pelmor.chm
            -P ${CMAKE_SOURCE_DIR}/cmake/BuildHelp.cmake
    DEPENDS ${HELP_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/BuildHelp.cmake)
  add_custom_target(helpfile ALL DEPENDS ${CMAKE_BINARY_DIR}/Pelmor.chm)

  add_custom_target(release
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/release
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/release/Pelmor
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Pelmor> ${CMAKE_BINARY_DIR}/Pelmor.chm
            ${CMAKE_BINARY_DIR}/release/Pelmor
    COMMAND ${ICONV} -f UTF-8 -t CP932 ${CMAKE_SOURCE_DIR}/dist/AAList.txt
            -o ${CMAKE_BINARY_DIR}/release/Pelmor/AAList.txt
    COMMAND ${ICONV} -f UTF-8 -t CP932 ${CMAKE_SOURCE_DIR}/dist/readme.txt
            -o ${CMAKE_BINARY_DIR}/release/Pelmor/readme.txt
    # The notices of the libraries linked in: UTF-8, as their authors' names need it.
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/dist/LICENSE-libgcrypt.txt ${CMAKE_BINARY_DIR}/release/Pelmor
    COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/release
            ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/Pelmor-1.13.zip --format=zip Pelmor
    DEPENDS Pelmor helpfile
    COMMENT "Packing Pelmor-1.13.zip")
endif()

option(PELMOR_WINE_TESTS "Build the end-to-end suite" ON)
if(PELMOR_WINE_TESTS)
  enable_testing()
  add_subdirectory(tests/wine)
endif()
