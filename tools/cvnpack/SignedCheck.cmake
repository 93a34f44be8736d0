# Packs the example onto the built setup.exe, signs the result with osslsigncode and a
# throw-away certificate, verifies the signature, reads the package back from the signed
# file with cvndump (also as a project, which must pack again to the unsigned setup's
# bytes) and installs it through its pages; packing onto the signed file must be refused.
# Run by ctest (the Windows tools under the emulator):
#   cmake -DEMULATOR=... -DCVNPACK=... -DCVNDUMP=... -DSTUB=... -DEXAMPLE_DIR=...
#         -DOPENSSL=... -DOSSLSIGNCODE=... -DUI_TESTS=... -DPREFIX=... -DWORK=... -P SignedCheck.cmake

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(GLOB example_files ${EXAMPLE_DIR}/*)
file(COPY ${example_files} DESTINATION ${WORK})
file(COPY_FILE ${STUB} ${WORK}/stub.exe)

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/CheckSteps.cmake)

run(${OPENSSL} req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2
    -subj "/CN=Corvane Test Signer")
must("making the test certificate")
run(${EMULATOR} ${CVNPACK} --stub stub.exe --out setup.exe package.json)
must("cvnpack")
file(SIZE ${WORK}/setup.exe packed_size)
run(${OSSLSIGNCODE} sign -certs cert.pem -key key.pem -n "Example Notes" -in setup.exe -out signed.exe)
must("osslsigncode sign")
run(${OSSLSIGNCODE} verify -CAfile cert.pem -in signed.exe)
must("osslsigncode verify")

run(${EMULATOR} ${CVNDUMP} signed.exe)
must("cvndump of the signed setup")
foreach(expected "\"softwareName\": \"Example Notes\"" "\"fileSize\": ${packed_size},")
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "cvndump of the signed setup lacks ${expected}:\n${out}")
  endif()
endforeach()

run(${EMULATOR} ${CVNDUMP} --project back signed.exe)
must("cvndump --project of the signed setup")
run(${EMULATOR} ${CVNPACK} --stub stub.exe --out back.exe back/project.toml)
must("cvnpack of the written-back project")
file(SHA256 ${WORK}/setup.exe packed_hash)
file(SHA256 ${WORK}/back.exe back_hash)
if(NOT packed_hash STREQUAL back_hash)
  message(FATAL_ERROR "the project written back from the signed setup packs to other bytes")
endif()

run(${EMULATOR} ${CVNPACK} --stub signed.exe --out again.exe package.json)
if(rc EQUAL 0 OR EXISTS ${WORK}/again.exe)
  message(FATAL_ERROR "cvnpack packed onto a signed stub")
endif()
string(FIND "${err}" "sign it after packing" at)
if(at EQUAL -1)
  message(FATAL_ERROR "cvnpack's refusal does not say to sign after packing: ${err}")
endif()
# The signed setup installs: the UI tests' example walk goes through its pages, in a
# prefix of the check's own without the example's earlier install.
file(REMOVE_RECURSE "${PREFIX}${PREFIX_SUFFIX}/drive_c/Program Files/Sample Software")
string(REPLACE "/" "\\" signed_windows_path "Z:${WORK}/signed.exe")
run(${CMAKE_COMMAND} -E env CVN_WINEPREFIX=${PREFIX} "CVN_EXAMPLE_SETUP=${signed_windows_path}" ${EMULATOR}
    ${UI_TESTS} --gtest_also_run_disabled_tests --gtest_filter=WizardExample.*)
must("the walk through the signed setup")
set(installed "${PREFIX}${PREFIX_SUFFIX}/drive_c/Program Files/Sample Software/Example Notes")
file(READ ${EXAMPLE_DIR}/readme.txt packed_readme)
if(NOT EXISTS "${installed}/readme.txt")
  message(FATAL_ERROR "the signed setup installed no readme.txt into ${installed}:\n${out}")
endif()
file(READ "${installed}/readme.txt" installed_readme)
if(NOT installed_readme STREQUAL packed_readme)
  message(FATAL_ERROR "the signed setup's readme.txt differs from the packed one")
endif()
message(STATUS "the signed setup verifies, its package reads back and it installs")
