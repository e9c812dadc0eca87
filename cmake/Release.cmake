# The release package: trovella.exe of the 32-bit build with README.md and LICENSE in a zip,
# and the zip's SHA-256 beside it. `cmake --build --preset win32 --target trovella_release`
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(trovella_release_zip ${CMAKE_BINARY_DIR}/trovella-${PROJECT_VERSION}-win32.zip)
    add_custom_target(trovella_release
        COMMAND ${CMAKE_COMMAND}
                -DEXE=$<TARGET_FILE:trovella>
                -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                -DSTAGE_DIR=${CMAKE_BINARY_DIR}/release
                -DZIP=${trovella_release_zip}
                -P ${PROJECT_SOURCE_DIR}/cmake/make_release.cmake
        DEPENDS trovella
        COMMENT "Packing ${trovella_release_zip}"
        VERBATIM)
endif()
