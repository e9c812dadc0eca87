# Host build: the core's unit tests, its fuzz target and its benchmark.
find_package(GTest REQUIRED)

add_executable(trovella_core_tests ${TROVELLA_CORE_TEST_SOURCES})
target_link_libraries(trovella_core_tests PRIVATE trovella_core trovella_extraction_references
                                            GTest::gtest GTest::gtest_main)
trovella_warnings(trovella_core_tests)
add_test(NAME core_tests COMMAND trovella_core_tests)

if(TROVELLA_SANITIZE)
    add_subdirectory(tests/fuzz)
endif()

# The skin file parser, and the default skin as the build makes it.
add_subdirectory(skin)
add_executable(trovella_skin_file_tests tests/skin/skin_file_test.cpp)
target_link_libraries(trovella_skin_file_tests PRIVATE trovella_skin_file GTest::gtest GTest::gtest_main)
target_compile_definitions(trovella_skin_file_tests PRIVATE TROVELLA_DEFAULT_SKIN="${TROVELLA_DEFAULT_SKIN}")
add_dependencies(trovella_skin_file_tests trovella_default_skin)
trovella_warnings(trovella_skin_file_tests)
add_test(NAME skin_file_tests COMMAND trovella_skin_file_tests)

find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(trovella_extraction_benchmark bench/extraction_benchmark.cpp)
    target_link_libraries(trovella_extraction_benchmark PRIVATE trovella_extraction_references
                                                        benchmark::benchmark)
    trovella_warnings(trovella_extraction_benchmark)
endif()
