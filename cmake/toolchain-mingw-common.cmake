# The body of both MinGW-w64 toolchains; toolchain-i686-mingw.cmake and
# toolchain-x86_64-mingw.cmake set CMAKE_SYSTEM_PROCESSOR and _cvn_triple, then include this.
# Test executables run under Wine through testing/wine/run-wine.sh, which picks 32- or
# 64-bit Wine from the program itself.
#
# libbzip2 for MinGW is built by scripts/build-bzip2-mingw.sh into <build>/deps/mingw
# (configuring runs it when the library is not there yet) or taken from CVN_MINGW_PREFIX.

set(CMAKE_SYSTEM_NAME Windows)
# The posix thread model: GCC 12's win32 model has no std::mutex, which googletest needs.
# The program itself has no threads; winpthread is linked statically like the runtime.
find_program(CMAKE_C_COMPILER NAMES ${_cvn_triple}-gcc-posix ${_cvn_triple}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${_cvn_triple}-g++-posix ${_cvn_triple}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${_cvn_triple}-windres REQUIRED)
set(CMAKE_C_COMPILER_TARGET ${_cvn_triple})
set(CMAKE_CXX_COMPILER_TARGET ${_cvn_triple})

if(DEFINED ENV{CVN_MINGW_PREFIX})
  set(CVN_MINGW_PREFIX "$ENV{CVN_MINGW_PREFIX}")
elseif(NOT CVN_MINGW_PREFIX)
  set(CVN_MINGW_PREFIX "${CMAKE_BINARY_DIR}/deps/mingw")
endif()

# try_compile projects load this file too, with their own binary folder: only the real
# configuration builds the dependencies.
get_property(_cvn_in_try_compile GLOBAL PROPERTY IN_TRY_COMPILE)
if(NOT _cvn_in_try_compile AND NOT EXISTS "${CVN_MINGW_PREFIX}/lib/libbz2.a")
  message(STATUS "Building libbzip2 for MinGW into ${CVN_MINGW_PREFIX}")
  execute_process(COMMAND bash "${CMAKE_CURRENT_LIST_DIR}/../scripts/build-bzip2-mingw.sh" "${CVN_MINGW_PREFIX}" ${_cvn_triple}
                  RESULT_VARIABLE _cvn_bzip2_rc)
  if(NOT _cvn_bzip2_rc EQUAL 0)
    message(FATAL_ERROR "scripts/build-bzip2-mingw.sh failed (${_cvn_bzip2_rc})")
  endif()
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${_cvn_triple} "${CVN_MINGW_PREFIX}")
list(APPEND CMAKE_PREFIX_PATH "${CVN_MINGW_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The ANSI (...A) Win32 functions: no UNICODE macro, single-byte texts throughout.
set(CMAKE_C_FLAGS_INIT "-U UNICODE -U _UNICODE")
set(CMAKE_CXX_FLAGS_INIT "-U UNICODE -U _UNICODE")
# Optimised for size: setup.exe travels with every package, and its hot loops are in
# libbzip2 and the file system, not in this code. Each function and datum in its own
# section, so the linker (--gc-sections, CMakeLists.txt) drops what nothing calls.
# GCC 12 reports false buffer overflows in inlined standard algorithms once it optimises
# (-Wstringop-overflow, on by default), fatal under -Werror.
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG -ffunction-sections -fdata-sections -Wno-stringop-overflow" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG -ffunction-sections -fdata-sections -Wno-stringop-overflow" CACHE STRING "")

get_filename_component(_cvn_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_cvn_root}/testing/wine/run-wine.sh")
# run-wine.sh keeps a 64-bit program's prefix under the name it is given with "64" appended;
# checks that look into a prefix add this to its name.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(CVN_WINE_PREFIX_SUFFIX 64)
else()
  set(CVN_WINE_PREFIX_SUFFIX "")
endif()
