# Cross-building for 64-bit Windows with Debian's mingw-w64 (posix threads):
#   cmake --preset windows
# The programs are linked statically and need only Windows' own DLLs. Tests
# and tools run under Wine through scripts/wine.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VEXA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VEXA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEXA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VEXA_MINGW}-windres)
set(CMAKE_AR ${VEXA_MINGW}-gcc-ar-posix)
set(CMAKE_RANLIB ${VEXA_MINGW}-gcc-ranlib-posix)
set(CMAKE_FIND_ROOT_PATH /usr/${VEXA_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Test programs and generators run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine.sh)
