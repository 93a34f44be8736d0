# Installs two small products that share a library with the built setup.exe, removes
# the first through Wine's uninstaller (the uninstaller the package carried, with the
# user's answers), and checks with Wine's own registry tool, its list of installed
# programs and the file system what is left.
# Run by ctest in the Windows build:
#   cmake -DEMULATOR=... -DCVNPACK=... -DSTUB=... -DANSWER=... -DSOURCE=... -DPREFIX=... -DWORK=... -P UninstallCheck.cmake

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

# The first product goes as the Control Panel removes it: Wine's own uninstaller
# starts its UninstallString, and the user confirms. Another product still counts the
# shared library, so no question about it comes, and its folder stays and is listed
# as not removed. Anything else asked gets No or OK and shows in the answers.
run(${EMULATOR} ${ANSWER} 200 "Do you want uninstall Tide Charts=Yes" "=No" "=OK" --
    C:\\windows\\system32\\uninstaller.exe --remove "Harbour Soft Tide Charts")
must("uninstaller --remove")
string(REGEX MATCHALL "[^\n]+" answers "${out}")
list(LENGTH answers count)
if(NOT count EQUAL 2)
  message(FATAL_ERROR "answers: ${out}")
endif()
list(GET answers 0 confirmed)
list(GET answers 1 listed)
if(NOT confirmed STREQUAL "Yes | Tide Charts Uninstaller / Do you want uninstall Tide Charts from Desktop?")
  message(FATAL_ERROR "the confirmation: ${confirmed}")
endif()
expect_in("${listed}" "OK | Tide Charts Uninstaller / Uninstall can not delete all Tide Charts files.")
expect_in("${listed}" "C:\\Program Files\\Common Files\\Tide Shared\\")
expect_not_in("${listed}" "Tide Charts\\")
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

# The last product goes silently (/S keeps the shared library, whose count reaches 0),
# and before the next restart the same setup installs it again, in one Wine session:
# the uninstaller left to be deleted at restart must then stay.
string(REPLACE "/" "\\" work_dos "Z:${WORK}")
file(WRITE ${WORK}/again.bat
     "start /wait \"\" \"C:\\windows\\cvnuninst.exe\" \"C:\\Program Files\\Harbour Soft\\Tide Tables\\uninst.dat\" /S\r\n"
     "start /wait \"\" \"${work_dos}\\tables.exe\"\r\n")
run(${EMULATOR} ${c}/windows/system32/cmd.exe /c "${work_dos}\\again.bat")
must("removing and installing Tide Tables again")
expect_exists("${tables}/app.txt")
expect_exists("${shared}")
expect_uninstaller_after_restart()
expect_exists("${c}/windows/cvnuninst.exe")
run(${EMULATOR} ${c}/windows/cvnuninst.exe "C:\\Program Files\\Harbour Soft\\Tide Tables\\uninst.dat" /S)
must("removing Tide Tables with /S")
expect_gone("${tables}/app.txt")
expect_uninstaller_after_restart()
