# Cross-compiling for Windows with MinGW-w64 (i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KOLVANE_TRIPLET i686-w64-mingw32)
# SSE2 arithmetic instead of the x87 stack: the same results as the 64-bit build.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
