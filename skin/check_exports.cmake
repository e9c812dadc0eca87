# Fails the build when the DLL does not export SkinH_AttachEx under exactly that name
# (a 32-bit stdcall export would otherwise read _SkinH_AttachEx@8 or SkinH_AttachEx@8).
#   cmake -DOBJDUMP=objdump -DDLL=jedata.dll -P check_exports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" table)
if(table EQUAL -1)
    message(FATAL_ERROR "${DLL} has no export name table")
endif()
string(SUBSTRING "${dump}" ${table} -1 names)
if(NOT names MATCHES "\\] SkinH_AttachEx\r?\n" OR names MATCHES "SkinH_AttachEx@")
    message(FATAL_ERROR "${DLL} does not export SkinH_AttachEx undecorated:\n${names}")
endif()
