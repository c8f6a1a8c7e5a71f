# Native build of the portable core: unit tests under AddressSanitizer and UBSan, the fuzz
# target and the benchmarks.
enable_testing()
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
set(POSIX_SOURCES src/store/file_io_posix.cpp src/store/exclusive_rename_posix.cpp)

add_library(pelmor_core STATIC ${PORTABLE_SOURCES} ${POSIX_SOURCES})
target_compile_options(pelmor_core PRIVATE ${WARNINGS} ${CHARSET} ${SANITIZE})
target_include_directories(pelmor_core PUBLIC src)
target_link_libraries(pelmor_core PUBLIC ${CRYPTO_LIBRARIES})

add_executable(host_tests
  tests/common/test_files.cpp
  tests/host/record_file_test.cpp
  tests/host/record_index_test.cpp
  tests/host/history_model_test.cpp
  tests/host/rules_test.cpp
  tests/host/sync_test.cpp
  tests/host/sealing_test.cpp)
target_compile_options(host_tests PRIVATE ${WARNINGS} ${CHARSET} ${SANITIZE})
target_link_options(host_tests PRIVATE ${SANITIZE})
target_link_libraries(host_tests PRIVATE pelmor_core GTest::gtest_main Threads::Threads)
add_test(NAME host_tests COMMAND host_tests)

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  # The fuzz target gets its own instrumented copy of the core.
  add_executable(record_file_fuzz tests/host/record_file_fuzz.cpp tests/common/test_files.cpp ${PORTABLE_SOURCES}
                 ${POSIX_SOURCES})
  target_include_directories(record_file_fuzz PRIVATE src)
  target_compile_options(record_file_fuzz PRIVATE ${WARNINGS} -fsanitize=fuzzer,address,undefined)
  target_link_options(record_file_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(record_file_fuzz PRIVATE ${CRYPTO_LIBRARIES})
endif()

add_executable(store_bench bench/store_bench.cpp ${PORTABLE_SOURCES} ${POSIX_SOURCES})
target_include_directories(store_bench PRIVATE src)
target_compile_options(store_bench PRIVATE ${WARNINGS} -O2)
target_link_libraries(store_bench PRIVATE ${CRYPTO_LIBRARIES})
