# The 64-bit Windows build (x86_64 MinGW-w64): the same code as the shipped 32-bit one, kept
# honest about pointer sizes, and the build whose tests run under wine64 on hosts that run no
# 32-bit code.
#
#   cmake -S . -B build-win64 -G Ninja --toolchain cmake/toolchain-x86_64-mingw.cmake
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_cvn_triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
