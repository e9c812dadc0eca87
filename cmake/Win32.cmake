# Windows build: the Win32 layer, the program, and the tests that run under Wine.

# Everything links statically, so the program is one file with nothing to install.
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
                        WINVER=0x0601)

# The Win32 layer: the real toolkit, the web fetch and the text rule at their edge.
add_library(trovella_win STATIC
    toolkit/program_directory_win.cpp
    toolkit/text_encoding_win.cpp
    toolkit/window_toolkit_win.cpp
    search/fetch_url_text_win.cpp
    actions/file_save_win.cpp
)
target_link_libraries(trovella_win PUBLIC trovella_core ole32 oleaut32 uuid comctl32 user32 gdi32)
trovella_warnings(trovella_win)

# GoogleTest, built from Debian's sources with the cross compiler (MSYS2: its own package).
set(TROVELLA_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(EXISTS ${TROVELLA_GOOGLETEST_SOURCE}/CMakeLists.txt)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    add_subdirectory(${TROVELLA_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
    find_package(GTest REQUIRED)
    add_library(gtest ALIAS GTest::gtest)
    add_library(gtest_main ALIAS GTest::gtest_main)
endif()

# The core's unit tests once more, as the 32-bit build runs them.
add_executable(trovella_core_tests_win32 ${TROVELLA_CORE_TEST_SOURCES})
target_link_libraries(trovella_core_tests_win32 PRIVATE trovella_core trovella_extraction_references
                                                  gtest gtest_main)
trovella_warnings(trovella_core_tests_win32)
add_test(NAME core_tests_win32 COMMAND trovella_core_tests_win32)

add_subdirectory(skin)

# The program, carrying the skin engine library and the default skin as resources.
add_custom_command(
    OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/trovella.ico
    COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/scripts/make_icon.py ${CMAKE_CURRENT_BINARY_DIR}/trovella.ico
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/scripts/make_icon.py
    COMMENT "Drawing the program's icon")
set(trovella_skin_engine_file ${CMAKE_CURRENT_BINARY_DIR}/skin/jedata.dll)
file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/skin_payloads.rc CONTENT
"#include \"skin/skin_payloads_win.h\"
IDR_SKIN_ENGINE_LIBRARY RCDATA \"${trovella_skin_engine_file}\"
IDR_SKIN_FILE RCDATA \"${TROVELLA_DEFAULT_SKIN}\"
")
enable_language(RC)
add_executable(trovella WIN32
    app/main_win.cpp
    app/main_window_win.cpp
    app/dpi_win.cpp
    actions/playlist_export_win.cpp
    app/trovella.rc
    skin/deploy_skin_win.cpp
    skin/skin_engine_binding_win.cpp
    skin/skin_payloads_win.cpp
    ${CMAKE_CURRENT_BINARY_DIR}/skin_payloads.rc
)
# The version resource takes its numbers from the project's version.
configure_file(app/trovella_version.h.in ${CMAKE_CURRENT_BINARY_DIR}/trovella_version.h @ONLY)
set_source_files_properties(app/trovella.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_CURRENT_BINARY_DIR}/trovella.ico;${CMAKE_CURRENT_SOURCE_DIR}/app/trovella.manifest;${CMAKE_CURRENT_BINARY_DIR}/trovella_version.h")
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/skin_payloads.rc PROPERTIES
    OBJECT_DEPENDS "${trovella_skin_engine_file};${TROVELLA_DEFAULT_SKIN}")
add_dependencies(trovella trovella_skin_engine trovella_default_skin)
target_include_directories(trovella PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
target_link_options(trovella PRIVATE -municode $<$<CONFIG:Release>:-s>)
target_link_libraries(trovella PRIVATE trovella_win comdlg32)
trovella_warnings(trovella)

include(cmake/Release.cmake)

add_subdirectory(tests/win)
add_subdirectory(tests/e2e)
