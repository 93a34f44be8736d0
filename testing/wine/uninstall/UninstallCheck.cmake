# Installs two small products that share a library with the built setup.exe, removes
# the first with the uninstaller the package carried, and checks with Wine's own
# registry tool, its list of installed programs and the file system what is left.
# Run by ctest in the Windows build:
#   cmake -DEMULATOR=... -DCVNPACK=... -DSTUB=... -DSOURCE=... -DPREFIX=... -DWORK=... -P UninstallCheck.cmake

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
foreach(f tide.json tables.json app.txt shared.dll)
  file(COPY ${SOURCE}/${f} DESTINATION ${WORK})
endforeach()
get_filename_component(stub_dir ${STUB} DIRECTORY)

include(${CMAKE_CURRENT_LIST_DIR}/CheckCommon.cmake)
set(tide "${c}/Program Files/Harbour Soft/Tide Charts")
set(tables "${c}/Program Files/Harbour Soft/Tide Tables")
set(shared "${c}/Program Files/Common Files/Tide Shared/shared.dll")

# What an earlier run of this check left in the shared prefix.
foreach(name "Tide Charts" "Tide Tables")
  run(${EMULATOR} ${reg} delete "${list_key}\\Harbour Soft ${name}" /f)
  run(${EMULATOR} ${reg} delete "HKCU\\Software\\Harbour Soft\\${name}" /f)
  run(${EMULATOR} ${reg} delete "HKLM\\Software\\Harbour Soft\\${name}" /f)
endforeach()
run(${EMULATOR} ${reg} delete "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs" /v
    "C:\\Program Files\\Common Files\\Tide Shared\\shared.dll" /f)
file(REMOVE_RECURSE "${tide}" "${tables}" "${c}/Program Files/Common Files/Tide Shared")

# The stub's folder holds the cvnuninst.exe built with it, which cvnpack adds.
foreach(product tide tables)
  run(${EMULATOR} ${CVNPACK} --stub ${STUB} --out ${product}.exe ${product}.json)
  must("cvnpack ${product}")
  run(${EMULATOR} ${WORK}/${product}.exe)
  must("installing ${product}")
endforeach()
expect_exists("${tide}/app.txt")
expect_exists("${tide}/Tide Charts.lnk")
expect_exists("${tide}/uninst.dat")
expect_exists("${shared}")
expect_exists("${c}/windows/cvnuninst.exe")
run(${EMULATOR} ${reg} query "${list_key}\\Harbour Soft Tide Charts" /v UninstallString)
must("the Uninstall key of Tide Charts")
string(FIND "${out}" "C:\\windows\\cvnuninst.exe\" \"C:\\Program Files\\Harbour Soft\\Tide Charts\\uninst.dat\"" at)
if(at EQUAL -1)
  message(FATAL_ERROR "UninstallString: ${out}")
endif()
run(${EMULATOR} ${uninstaller} --list)
string(FIND "${out}" "Tide Charts" listed)
if(listed EQUAL -1)
  message(FATAL_ERROR "not in the list of installed programs: ${out}")
endif()

# The first product goes; its questions get the safe answer.
run(${EMULATOR} ${c}/windows/cvnuninst.exe "C:\\Program Files\\Harbour Soft\\Tide Charts\\uninst.dat" /S)
must("cvnuninst")
expect_gone("${tide}/app.txt")
expect_gone("${tide}/uninst.dat")
expect_gone("${tide}/Tide Charts.lnk")
expect_gone("${tide}")
expect_exists("${shared}") # the second product still uses it
expect_exists("${tables}/app.txt")
run(${EMULATOR} ${reg} query "${list_key}\\Harbour Soft Tide Charts")
if(rc EQUAL 0)
  message(FATAL_ERROR "the Uninstall key stayed: ${out}")
endif()
run(${EMULATOR} ${reg} query "HKCU\\Software\\Harbour Soft\\Tide Charts")
if(rc EQUAL 0)
  message(FATAL_ERROR "the product's user key stayed: ${out}")
endif()
run(${EMULATOR} ${reg} query "HKLM\\Software\\Harbour Soft\\Tide Charts")
if(rc EQUAL 0)
  message(FATAL_ERROR "the product's machine key stayed: ${out}")
endif()
run(${EMULATOR} ${reg} query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs" /v
    "C:\\Program Files\\Common Files\\Tide Shared\\shared.dll")
must("the shared count")
string(REGEX MATCH "0x1[\r\n ]" one "${out} ")
if(NOT one)
  message(FATAL_ERROR "the shared count is not 1: ${out}")
endif()
run(${EMULATOR} ${uninstaller} --list)
string(FIND "${out}" "Tide Charts" listed)
string(FIND "${out}" "Tide Tables" other)
if(NOT listed EQUAL -1 OR other EQUAL -1)
  message(FATAL_ERROR "list of installed programs after the removal: ${out}")
endif()
# Another product still names the uninstaller program, so it stays.
expect_exists("${c}/windows/cvnuninst.exe")

# A missing data file removes nothing and says so (silently with /S: exit code 1).
run(${EMULATOR} ${c}/windows/cvnuninst.exe "C:\\Program Files\\Harbour Soft\\Tide Tables\\none.dat" /S)
if(rc EQUAL 0)
  message(FATAL_ERROR "cvnuninst accepted a missing data file")
endif()
expect_exists("${tables}/app.txt")
