# The same sources for 64-bit Windows: runs the Windows-side tests under 64-bit Wine on
# machines whose kernel cannot execute 32-bit code.
set(TROVELLA_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
