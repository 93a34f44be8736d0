# Installs a product that registers a COM server, a type library and a font, then
# removes it as the Control Panel does: Wine's own uninstaller starts the product's
# UninstallString, and the uninstaller's questions are answered as a person would
# (Yes to the confirmation, Yes to all to the server and type-library questions).
# Checks with Wine's registry tool and the file system that the registrations and
# files are gone and that nothing else went.
#   cmake -DEMULATOR=... -DCVNPACK=... -DSTUB=... -DANSWER=... -DCOMSERVER=... -DTYPELIB=... -DTYPELIB_PLATFORM=win32|win64
#         -DFONT=...
#         -DSOURCE=... -DPREFIX=... -DWORK=... -P SystemRemovalCheck.cmake

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${SOURCE}/server.json ${SOURCE}/app.txt ${COMSERVER} ${TYPELIB} DESTINATION ${WORK})
configure_file(${FONT} ${WORK}/tidetest.ttf COPYONLY)
include(${CMAKE_CURRENT_LIST_DIR}/CheckCommon.cmake)

set(product "${c}/Program Files/Harbour Soft/Tide Server")
set(product_key "${list_key}\\Harbour Soft Tide Server")
set(class_key "HKCR\\CLSID\\{6A1D2E7C-3B4F-4C1A-9E55-0C7A11D0C0DE}")
set(progid_key "HKCR\\CvnTest.ComServer")
set(typelib_key "HKCR\\TypeLib\\{5C0FFEE5-1D2E-4C3B-8A9F-0123456789AB}")
set(trace_key "HKCU\\Software\\CvnTest\\ComServer") # written by the server's unregistration
# The font list is the profile's "Fonts" section: Windows maps it to the registry's
# Fonts key, Wine keeps it in win.ini itself.
set(fonts_key "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts")
set(win_ini "${c}/windows/win.ini")
set(font_value "Tide Test Sans (TrueType)")
set(font_file "${c}/windows/Fonts/tidetest.ttf")
set(settings_key "HKLM\\Software\\Harbour Soft\\Tide Server")

# What an earlier run left in the shared prefix.
foreach(key "${product_key}" "${class_key}" "${progid_key}" "${typelib_key}" "${trace_key}" "${settings_key}")
  run(${EMULATOR} ${reg} delete "${key}" /f)
endforeach()
if(EXISTS "${win_ini}")
  file(READ "${win_ini}" ini)
  string(REPLACE "${font_value}=tidetest.ttf\n" "" ini "${ini}")
  file(WRITE "${win_ini}" "${ini}")
endif()
file(REMOVE_RECURSE "${product}" "${font_file}")

# What is registered before, to compare with what is left at the end.
foreach(key CLSID TypeLib)
  run(${EMULATOR} ${reg} query "HKCR\\${key}")
  set(before_${key} "${out}")
endforeach()
function(font_list)
  set(list "")
  if(EXISTS "${win_ini}")
    file(READ "${win_ini}" list)
  endif()
  run(${EMULATOR} ${reg} query "${fonts_key}")
  set(fonts "${list}${out}" PARENT_SCOPE)
endfunction()
font_list()
set(before_fonts "${fonts}")

run(${EMULATOR} ${CVNPACK} --stub ${STUB} --out server.exe server.json)
must("cvnpack")
run(${EMULATOR} ${WORK}/server.exe)
must("installing")
expect_key("the server's class" "${class_key}\\InprocServer32" /ve)
expect_in("${out}" "Tide Server\\cvn_comserver.dll")
expect_key("the server's ProgID" "${progid_key}")
expect_key("the type library" "${typelib_key}\\1.0\\0\\${TYPELIB_PLATFORM}" /ve)
expect_in("${out}" "Tide Server\\cvn_testlib.tlb")
font_list()
expect_in("${fonts}" "${font_value}=tidetest.ttf")
expect_exists("${font_file}")

# What the user added after installing stays: a file in the product's folder and a
# value beside the product's own key.
file(WRITE "${product}/notes.txt" "mine")
run(${EMULATOR} ${reg} add "${settings_key}" /v User /d kept /f)
must("adding the user's value")

run(${EMULATOR} ${ANSWER} 200 "Do you want uninstall Tide Server=Yes" "=Yes To All" "=OK" -- C:\\windows\\system32\\uninstaller.exe
    --remove "Harbour Soft Tide Server")
must("removing through uninstaller --remove")
message(STATUS "answered:\n${out}")
# The confirmation, one question each for the server and the type library (Yes to all
# is remembered per kind), and the list of what was not removed: the user's file
# keeps the folder.
string(REGEX MATCHALL "[^\n]+" answers "${out}")
list(LENGTH answers count)
if(NOT count EQUAL 4)
  message(FATAL_ERROR "expected 4 answers, got ${count}: ${out}")
endif()
list(GET answers 0 first)
list(GET answers 3 last)
expect_in("${first}" "Yes | ")
expect_in("${out}" "Yes To All | ")
expect_in("${last}" "Uninstall can not delete all Tide Server files.")
expect_in("${last}" "Tide Server\\")

expect_no_key("the server's class" "${class_key}")
expect_no_key("the server's ProgID" "${progid_key}")
expect_no_key("the type library" "${typelib_key}")
expect_key("the server's own unregistration" "${trace_key}" /v ErrorModeSeen)
font_list()
expect_not_in("${fonts}" "${font_value}")
expect_gone("${font_file}")
foreach(f cvn_comserver.dll cvn_testlib.tlb app.txt uninst.dat)
  expect_gone("${product}/${f}")
endforeach()
expect_no_key("the product's settings" "${settings_key}\\Settings")
expect_no_key("the Uninstall key" "${product_key}")
run(${EMULATOR} ${uninstaller} --list)
expect_not_in("${out}" "Tide Server")

expect_uninstaller_after_restart()

# Nothing else went.
expect_exists("${product}/notes.txt")
expect_key("the user's value" "${settings_key}" /v User)
foreach(key CLSID TypeLib)
  run(${EMULATOR} ${reg} query "HKCR\\${key}")
  if(NOT out STREQUAL before_${key})
    message(FATAL_ERROR "HKCR\\${key} changed beyond the product's entries")
  endif()
endforeach()
if(NOT fonts STREQUAL before_fonts)
  message(FATAL_ERROR "the font list changed beyond the product's font:\n${before_fonts}\n---\n${fonts}")
endif()
file(REMOVE_RECURSE "${product}")
run(${EMULATOR} ${reg} delete "${settings_key}" /f)
