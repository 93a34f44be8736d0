# Source files pick their platform by name: *_win.cpp builds only for Windows,
# *_posix.cpp only natively, everything else everywhere. Tests are *_test.cpp.
function(cvn_platform_sources out)
  set(files ${ARGN})
  list(FILTER files EXCLUDE REGEX "_test\\.cpp$")
  if(WIN32)
    list(FILTER files EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER files EXCLUDE REGEX "_win\\.cpp$")
  endif()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# The shipped programs' Release builds are optimised across translation units: the
# program modules and their main files are compiled for link-time optimisation as well as
# to ordinary code ("fat" objects), so the tests and tools link the same libraries
# quickly without the whole-program step.
set(cvn_lto_compile $<$<AND:$<BOOL:${WIN32}>,$<CONFIG:Release>>:-flto$<SEMICOLON>-ffat-lto-objects>)

# cvn_module(<name> [DEPS libs...] [WIN_DEPS libs...]): library cvn_<name> from every
# source file in the current folder, with src/ as its include root.
function(cvn_module name)
  cmake_parse_arguments(M "" "" "DEPS;WIN_DEPS" ${ARGN})
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  cvn_platform_sources(srcs ${all})
  if(srcs)
    add_library(cvn_${name} STATIC ${srcs})
    target_compile_options(cvn_${name} PRIVATE ${cvn_lto_compile})
    set(scope PUBLIC)
  else()
    add_library(cvn_${name} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(cvn_${name} ${scope} ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(cvn_${name} ${scope} ${M_DEPS})
  if(WIN32)
    target_link_libraries(cvn_${name} ${scope} ${M_WIN_DEPS})
  endif()
endfunction()

# cvn_test_suite(<name> DEPS libs... [WIN_DEPS libs...] [TIMEOUT seconds] [WIN_TIMEOUT seconds]):
# one test executable per folder of tests/, registered with CTest (run under Wine in the
# Windows build through the emulator). The timeouts end a hung suite long before CI's own
# limit: each is several times the suite's measured time; the native default is 120 s.
function(cvn_test_suite name)
  cmake_parse_arguments(T "" "TIMEOUT;WIN_TIMEOUT" "DEPS;WIN_DEPS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  if(WIN32 AND T_WIN_TIMEOUT)
    set(T_TIMEOUT ${T_WIN_TIMEOUT})
  endif()
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  set(files ${all})
  if(WIN32)
    list(FILTER files EXCLUDE REGEX "_posix_test\\.cpp$")
  else()
    list(FILTER files EXCLUDE REGEX "_win_test\\.cpp$")
  endif()
  file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER helpers EXCLUDE REGEX "_test\\.cpp$")
  cvn_platform_sources(helpers ${helpers})
  if(NOT files)
    return()
  endif()
  add_executable(cvn_${name}_tests ${files} ${helpers})
  target_include_directories(cvn_${name}_tests PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(cvn_${name}_tests PRIVATE ${T_DEPS} GTest::gtest_main GTest::gmock)
  if(WIN32)
    target_link_libraries(cvn_${name}_tests PRIVATE ${T_WIN_DEPS})
  endif()
  # A Windows test finds what the build made for it from its own location (BuildFiles_win.h),
  # never from the working folder or the environment.
  file(RELATIVE_PATH to_build ${CMAKE_CURRENT_BINARY_DIR} ${PROJECT_BINARY_DIR})
  target_compile_definitions(cvn_${name}_tests PRIVATE CVN_TEST_TO_BUILD_FOLDER="${to_build}")
  add_test(NAME ${name} COMMAND cvn_${name}_tests)
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(WIN32)
    # The Windows suites share one headless display; tests that read a message box off
    # the screen must not find another suite's window lying over it.
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()

# cvn_whole_program_link(<target>): links a shipped program with link-time optimisation, in
# one partition: GCC 12 for MinGW fails with an internal error on some symbols when it
# splits the program.
function(cvn_whole_program_link target)
  target_compile_options(${target} PRIVATE ${cvn_lto_compile})
  if(WIN32)
    target_link_options(${target} PRIVATE $<$<CONFIG:Release>:-flto> $<$<CONFIG:Release>:-flto-partition=one>)
  endif()
endfunction()
