# Cross build for Windows with Debian's mingw-w64 toolchain; TROVELLA_MINGW_ARCH is set by
# the file that includes this one (i686 for the product, x86_64 for the 64-bit test build).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TROVELLA_MINGW_ARCH})

set(TROVELLA_MINGW_PREFIX ${TROVELLA_MINGW_ARCH}-w64-mingw32)
# The posix thread model gives libstdc++ its std::mutex, which Boost.Regex uses.
set(CMAKE_C_COMPILER ${TROVELLA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TROVELLA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TROVELLA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TROVELLA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows test programs run through Wine; the wrapper brings the project's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
