# Fails when a program, stripped of its symbols as it is shipped, is larger than its budget.
# The program itself is left as it is: a stripped copy is measured.
#
#   cmake -DSTRIP=<strip> -DPROGRAM=<file.exe> -DBUDGET=<bytes> -P CheckSize.cmake

cmake_minimum_required(VERSION 3.25)

get_filename_component(name "${PROGRAM}" NAME)
set(copy "${CMAKE_CURRENT_BINARY_DIR}/stripped-${name}")
execute_process(COMMAND "${STRIP}" -o "${copy}" "${PROGRAM}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${STRIP} ${PROGRAM} failed (${rc})")
endif()
file(SIZE "${copy}" size)
file(REMOVE "${copy}")
if(size GREATER BUDGET)
  message(FATAL_ERROR "${name} stripped is ${size} bytes, over its budget of ${BUDGET}")
endif()
message(STATUS "${name} stripped is ${size} bytes, within its budget of ${BUDGET}")
