# Packs the release zip and writes its SHA-256 in the form `sha256sum -c` reads.
#   cmake -DEXE=trovella.exe -DSOURCE_DIR=repo -DSTAGE_DIR=dir -DZIP=out.zip -P make_release.cmake
foreach(variable EXE SOURCE_DIR STAGE_DIR ZIP)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "make_release.cmake needs -D${variable}=...")
    endif()
endforeach()

set(files trovella.exe README.md LICENSE)
file(REMOVE_RECURSE ${STAGE_DIR})
file(MAKE_DIRECTORY ${STAGE_DIR})
file(COPY_FILE ${EXE} ${STAGE_DIR}/trovella.exe)
file(COPY_FILE ${SOURCE_DIR}/README.md ${STAGE_DIR}/README.md)
file(COPY_FILE ${SOURCE_DIR}/LICENSE ${STAGE_DIR}/LICENSE)

# A half-written zip from an earlier run must not survive a failed one.
file(REMOVE ${ZIP} ${ZIP}.sha256)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${files}
                WORKING_DIRECTORY ${STAGE_DIR}
                RESULT_VARIABLE packed)
if(NOT packed EQUAL 0)
    file(REMOVE ${ZIP})
    message(FATAL_ERROR "could not pack ${ZIP}")
endif()

file(SHA256 ${ZIP} digest)
get_filename_component(zip_name ${ZIP} NAME)
file(WRITE ${ZIP}.sha256 "${digest}  ${zip_name}\n")
message(STATUS "${zip_name} SHA-256 ${digest}")
