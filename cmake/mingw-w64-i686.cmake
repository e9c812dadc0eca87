# The product: 32-bit Windows (PE32, i686).
set(TROVELLA_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
