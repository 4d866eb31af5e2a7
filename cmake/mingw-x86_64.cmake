# Cross-building the Windows module and the suite's stand-ins with mingw-w64 (x86_64).
#   cmake -S . -B build-win-x86_64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DP_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DP_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DP_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${DP_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${DP_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests built for Windows run under Wine on the build machine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
