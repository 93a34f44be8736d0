# Packs each example project onto the built setup.exe with the Windows cvnpack and
# installs it under the emulator with "/S" in a prefix of its own; the files the
# example's silent mode chooses must then be in place, and no others.
# Run by ctest: cmake -DEMULATOR=... -DCVNPACK=... -DSTUB=... -DEXAMPLES=... -DWORK=... -P ExamplesInstall.cmake

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(ENV{CVN_WINEPREFIX} ${WORK}/prefix)
# The emulator keeps a 64-bit program's prefix beside the name it is given (PREFIX_SUFFIX).
set(programs "${WORK}/prefix${PREFIX_SUFFIX}/drive_c/Program Files/Sample Software")

function(install_example name)
  file(COPY ${EXAMPLES}/${name} DESTINATION ${WORK})
  file(COPY_FILE ${STUB} ${WORK}/${name}/stub.exe)
  execute_process(COMMAND ${EMULATOR} ${CVNPACK} --stub stub.exe --out setup.exe project.toml
                  WORKING_DIRECTORY ${WORK}/${name} RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${name}: cvnpack failed (${rc}): ${err}")
  endif()
  execute_process(COMMAND ${EMULATOR} setup.exe /S WORKING_DIRECTORY ${WORK}/${name} RESULT_VARIABLE rc
                  TIMEOUT 120)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${name}: setup.exe /S ended with ${rc}")
  endif()
endfunction()

function(expect path)
  if(NOT EXISTS "${programs}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endfunction()

install_example(minimal)
expect("Minimal Tool/readme.txt")
install_example(wizard)
expect("Example Notes/readme.txt")
expect("Example Notes/help.txt")
install_example(components)
# Setup type 0 (Program|Help) is the silent choice: the samples stay out.
expect("Sketch/sketch.txt")
expect("Sketch/drawing.txt")
if(EXISTS "${programs}/Sketch/Samples/samples.txt")
  message(FATAL_ERROR "the samples were installed without being chosen")
endif()
