# Cross-building the Windows module and the suite's stand-ins with mingw-w64 (i686).
#   cmake -S . -B build-win-i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
set(DP_MINGW_ARCH i686)
# Doubles in SSE2 registers, rounded to double at every step as on x86_64, so that the figures
# come out as on the other builds (the x87 unit would keep 80-bit intermediates). The stack that
# Windows hands a callback is only 4-byte aligned: realign it where SSE needs more.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
