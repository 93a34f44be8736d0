# Fails when a program imports a DLL that is not a KnownDLL. Windows maps KnownDLLs
# from the system folder whatever lies beside the program; any other DLL named in
# the import table is looked for first in the program's own folder, before a line of
# the program runs, so a copy planted in a Downloads folder would run inside the setup.
#
#   cmake -DOBJDUMP=<objdump> -DPROGRAM=<file.exe> -P CheckImports.cmake

cmake_minimum_required(VERSION 3.25)

set(known_dlls
    advapi32.dll comdlg32.dll gdi32.dll imagehlp.dll imm32.dll kernel32.dll msvcrt.dll
    normaliz.dll ole32.dll oleaut32.dll psapi.dll rpcrt4.dll setupapi.dll shell32.dll
    shlwapi.dll user32.dll wldap32.dll ws2_32.dll)

execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed (${rc})")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" names "${dump}")
if(NOT names)
  message(FATAL_ERROR "no import table found in ${PROGRAM}")
endif()
set(bad)
foreach(line IN LISTS names)
  string(REGEX REPLACE "^DLL Name: *" "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lower)
  if(NOT lower IN_LIST known_dlls)
    list(APPEND bad "${dll}")
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "${PROGRAM} imports DLLs that are no KnownDLLs: ${bad}")
endif()
message(STATUS "${PROGRAM}: every imported DLL is a KnownDLL")
