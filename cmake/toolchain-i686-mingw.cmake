# The shipped 32-bit Windows build (i686 MinGW-w64):
#
#   cmake -S . -B build-win -G Ninja --toolchain cmake/toolchain-i686-mingw.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(_cvn_triple i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
