# Builds the bundled example with cvnpack, inspects it with cvndump, packs the
# inspector's output again and checks that the second inspection matches the
# first; then checks that a file without a package is reported as damaged.
# Run by ctest: cmake -DCVNPACK=... -DCVNDUMP=... -DEXAMPLE=... -DWORK=... -P ExampleCheck.cmake

file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/stub.exe "MZ stand-in for the setup program\n")

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/CheckSteps.cmake)

run(${CVNPACK} --stub ${WORK}/stub.exe --out ${WORK}/example.exe ${EXAMPLE})
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cvnpack failed (${rc}): ${err}")
endif()
run(${CVNDUMP} ${WORK}/example.exe)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cvndump failed (${rc}): ${err}")
endif()
file(WRITE ${WORK}/first.json "${out}")
foreach(expected "\"softwareName\": \"Example Notes\"" "\"first\": \"Welcome\"" "\"last\": \"Finish\""
        "\"command\": \"Install\"" "\"supportFilesFlag\": 1")
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "cvndump output lacks ${expected}")
  endif()
endforeach()

# The dump holds no archive bytes: packing it again gives the same model with
# an empty section 16, so everything but the layout, the progress scale and the
# components' progress starts (computed from the archive sizes) must match.
run(${CVNPACK} --stub ${WORK}/stub.exe --out ${WORK}/again.exe ${WORK}/first.json)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cvnpack of the dump failed (${rc}): ${err}")
endif()
run(${CVNDUMP} ${WORK}/again.exe)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cvndump of the repacked file failed (${rc}): ${err}")
endif()
file(READ ${WORK}/first.json first_text)
set(second_text "${out}")
foreach(part first second)
  # Everything after the layout, without the progress scale.
  string(FIND "${${part}_text}" "\"wizardPages\"" at)
  string(SUBSTRING "${${part}_text}" ${at} -1 text)
  string(REGEX REPLACE "\"progress\": {[^}]*}" "" text "${text}")
  string(REGEX REPLACE "\"progressStart\": [0-9]+" "" ${part}_model "${text}")
endforeach()
if(NOT first_model STREQUAL second_model)
  message(FATAL_ERROR "the repacked package differs from the original")
endif()

run(${CVNDUMP} ${WORK}/stub.exe)
if(NOT rc EQUAL 2)
  message(FATAL_ERROR "cvndump of a file without a package returned ${rc}, expected 2")
endif()
string(FIND "${err}" "magic" at)
if(at EQUAL -1)
  message(FATAL_ERROR "cvndump did not name the reason: ${err}")
endif()
run(${CVNDUMP} ${WORK}/no-such-file.exe)
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "cvndump of a missing file returned ${rc}, expected 1")
endif()
