# Host build: the core's unit tests and its benchmark.
find_package(GTest REQUIRED)

add_executable(trovella_core_tests
    tests/native/text_test.cpp
    tests/native/song_extraction_test.cpp
    tests/native/playlist_search_test.cpp
    tests/native/song_link_copy_test.cpp
)
target_link_libraries(trovella_core_tests PRIVATE trovella_core GTest::gtest GTest::gtest_main)
trovella_warnings(trovella_core_tests)
add_test(NAME core_tests COMMAND trovella_core_tests)

find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(trovella_extraction_benchmark bench/extraction_benchmark.cpp)
    target_link_libraries(trovella_extraction_benchmark PRIVATE trovella_core benchmark::benchmark)
    trovella_warnings(trovella_extraction_benchmark)
endif()
