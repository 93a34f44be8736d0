# What the Wine checks of installing and removing share (included by them): the common
# check steps, registry checks through Wine's own tool, and the prefix's places.

include(${CMAKE_CURRENT_LIST_DIR}/../../../cmake/CheckSteps.cmake)

# reg query of a key or value that must (or must not) be there.
function(expect_key what)
  run(${EMULATOR} ${reg} query ${ARGN})
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} is missing: ${ARGN}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()
function(expect_no_key what)
  run(${EMULATOR} ${reg} query ${ARGN})
  if(rc EQUAL 0)
    message(FATAL_ERROR "${what} stayed: ${out}")
  endif()
endfunction()
set(c ${PREFIX}/drive_c)
set(reg ${c}/windows/system32/reg.exe)
set(uninstaller ${c}/windows/system32/uninstaller.exe)
set(list_key "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall")

# Wine does what a restart of Windows does at the start of each of its sessions, and
# each run above is one: the files left to be deleted at restart are gone by now. The
# uninstaller's own file goes with the last product that names it.
function(expect_uninstaller_after_restart)
  run(${EMULATOR} ${reg} query "${list_key}" /s /v UninstallString)
  string(FIND "${out}" "cvnuninst.exe" still_named)
  if(still_named EQUAL -1)
    expect_gone("${c}/windows/cvnuninst.exe")
  else()
    expect_exists("${c}/windows/cvnuninst.exe")
  endif()
endfunction()
