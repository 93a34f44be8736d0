# Packs each example project onto the built setup.exe with the Windows cvnpack and
# installs it under the emulator with "/S" in a prefix of its own, showing no page but
# the copying page; the files the example's silent mode chooses must then be in place,
# and no others. The wizard examples are first installed through their pages, clicked
# as a user would (the UI tests' example walk), with their default choices.
# Run by ctest: cmake -DEMULATOR=... -DCVNPACK=... -DSTUB=... -DUI_TESTS=... -DEXAMPLES=... -DWORK=...
#               -P ExamplesInstall.cmake

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(ENV{CVN_WINEPREFIX} ${WORK}/prefix)
# The emulator keeps a 64-bit program's prefix beside the name it is given (PREFIX_SUFFIX).
set(programs "${WORK}/prefix${PREFIX_SUFFIX}/drive_c/Program Files/Sample Software")

function(pack_example name)
  file(COPY ${EXAMPLES}/${name} DESTINATION ${WORK})
  file(COPY_FILE ${STUB} ${WORK}/${name}/stub.exe)
  execute_process(COMMAND ${EMULATOR} ${CVNPACK} --stub stub.exe --out setup.exe project.toml
                  WORKING_DIRECTORY ${WORK}/${name} RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${name}: cvnpack failed (${rc}): ${err}")
  endif()
endfunction()

# Runs the UI tests matching FILTER against the example's setup.exe (extra environment
# assignments after the arguments); fails naming WHAT. Their standard output is left in
# example_out.
function(run_example_tests name filter timeout what)
  string(REPLACE "/" "\\" setup_path "Z:${WORK}/${name}/setup.exe")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env "CVN_EXAMPLE_SETUP=${setup_path}" ${ARGN}
                          ${EMULATOR} ${UI_TESTS} --gtest_also_run_disabled_tests --gtest_filter=${filter}
                  WORKING_DIRECTORY ${WORK}/${name} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT ${timeout})
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${name}: ${what} failed (${rc}):\n${out}${err}")
  endif()
  set(example_out "${out}" PARENT_SCOPE)
endfunction()

# BUTTONS lead from page to page before the last ("|" between them); the walk then
# finishes the setup.
function(walk_example name buttons)
  pack_example(${name})
  run_example_tests(${name} WizardExample.* 240 "the walk through its pages" "CVN_EXAMPLE_BUTTONS=${buttons}")
endfunction()

# Runs the example with /S, watched by the UI tests' silent check: it must end well,
# showing no window but the start-up window and the copying page.
function(install_example name)
  if(NOT EXISTS ${WORK}/${name}/setup.exe)
    pack_example(${name})
  endif()
  run_example_tests(${name} SilentExample.* 180 "setup.exe /S")
  if(NOT example_out MATCHES "\\[  PASSED  \\] 1 test")
    message(FATAL_ERROR "${name}: the silent check did not run:\n${example_out}")
  endif()
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/CheckSteps.cmake)
function(expect path)
  expect_exists("${programs}/${path}")
endfunction()
function(expect_absent path)
  expect_gone("${programs}/${path}")
endfunction()

walk_example(wizard "Next >|I Agree|Next >|Next >|Next >|Install")
expect("Example Notes/readme.txt")
expect("Example Notes/help.txt")
walk_example(components "Next >|Next >|Install")
# The components page starts from setup type 0: Program and Help.
expect("Sketch/sketch.txt")
expect("Sketch/drawing.txt")
expect_absent("Sketch/Samples/samples.txt")
file(REMOVE_RECURSE "${programs}")

install_example(minimal)
expect("Minimal Tool/readme.txt")
install_example(wizard)
expect("Example Notes/readme.txt")
expect("Example Notes/help.txt")
install_example(components)
# Setup type 0 (Program|Help) is the silent choice: the samples stay out.
expect("Sketch/sketch.txt")
expect("Sketch/drawing.txt")
expect_absent("Sketch/Samples/samples.txt")
