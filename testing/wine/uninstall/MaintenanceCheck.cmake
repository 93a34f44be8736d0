# Installs a product with the components A and B, runs its setup again over it in
# maintenance mode where the user unchecks B and checks C on the component list, and checks that B's file went, C's came, A's
# stayed and the uninstall data lists what is installed now; another product's setup
# then removes it by that data.
#   cmake -DEMULATOR=... -DCVNPACK=... -DSTUB=... -DANSWER=... -DSOURCE=... -DPREFIX=... -DWORK=... -P MaintenanceCheck.cmake

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${SOURCE}/parts.json ${SOURCE}/a.txt ${SOURCE}/b.txt ${SOURCE}/c.txt DESTINATION ${WORK})
include(${CMAKE_CURRENT_LIST_DIR}/CheckCommon.cmake)

set(product "${c}/Program Files/Harbour Soft/Tide Parts")
set(data "${product}/uninst.dat")
run(${EMULATOR} ${reg} delete "${list_key}\\Harbour Soft Tide Parts" /f)
file(REMOVE_RECURSE "${product}")

# The texts of the uninstall data: paths and the installed components' names.
function(data_texts)
  file(STRINGS "${data}" texts LENGTH_MINIMUM 3)
  string(JOIN "\n" texts ${texts})
  set(texts "${texts}" PARENT_SCOPE)
endfunction()

# The product's setup: its start-up script loads an earlier installation, and its one
# page has the component list and an Install button.
file(READ ${WORK}/parts.json json)
string(JSON json SET "${json}" eventScripts
       [=[[[{"command": "LoadPreviousInstallation", "params": []}], [], [], [], [], [], []]]=])
string(JSON json SET "${json}" dialogs
       [=[[{"name": "Parts", "caption": "Parts", "width": 400, "height": 300, "controls": [
            {"kind": 6, "role": 4, "left": 20, "top": 20, "height": 120, "width": 300,
             "text": ["Tahoma|8|0|0|0", "", "", "", "components", ""]},
            {"kind": 3, "left": 300, "top": 250, "height": 25, "width": 80,
             "text": ["Install", "Tahoma|8|0|0|0", "2", "", "Install"],
             "eventScript": [{"command": "Install"}, {"command": "FinishSetup"}]}]}]]=])
file(WRITE ${WORK}/setup.json "${json}")
run(${EMULATOR} ${CVNPACK} --stub ${STUB} --out setup.exe setup.json)
must("cvnpack")

# The first run installs setup type 0: A and B.
run(${EMULATOR} ${ANSWER} 200 "Parts=Install" "=OK" -- ${WORK}/setup.exe)
must("first install")
expect_exists("${product}/a.txt")
expect_exists("${product}/b.txt")
expect_gone("${product}/c.txt")
data_texts()
expect_in("${texts}" "Tide Parts\\b.txt")
expect_in("${texts}" "A|B")
file(WRITE "${product}/a.txt" "A as the user left it")

# Run again, the setup starts from setup type 2 with A and B checked; the user
# unchecks B and checks C.
run(${EMULATOR} ${ANSWER} 200 "Parts@B" "Parts@C" "Parts=Install" "=OK" --
    ${WORK}/setup.exe)
must("maintenance run")
string(REGEX MATCHALL "[^\n]+" answers "${out}")
string(REGEX REPLACE " \\|[^;]*" "" answers "${answers}")
# The Install button may be pressed again while the install it started still runs;
# a second Install statement does nothing.
if(NOT answers MATCHES "^@B;@C;Install(;Install)*$")
  message(FATAL_ERROR "the maintenance run's answers: ${out}")
endif()
expect_gone("${product}/b.txt")
expect_exists("${product}/c.txt")
file(READ "${product}/a.txt" a)
if(NOT a STREQUAL "A as the user left it")
  message(FATAL_ERROR "A's file was installed again or removed: ${a}")
endif()
data_texts()
expect_in("${texts}" "Tide Parts\\a.txt")
expect_in("${texts}" "Tide Parts\\c.txt")
expect_not_in("${texts}" "Tide Parts\\b.txt")
expect_in("${texts}" "A|C")
expect_not_in("${texts}" "A|B")

# Another product's setup removes it (the remove-previous-install statement of its
# page, then its own install) by the data the maintenance run wrote.
set(suite "${c}/Program Files/Harbour Soft/Tide Suite")
set(suite_key "HKLM\\Software\\Harbour Soft\\Tide Suite")
run(${EMULATOR} ${reg} delete "${list_key}\\Harbour Soft Tide Suite" /f)
run(${EMULATOR} ${reg} delete "${suite_key}" /f)
file(REMOVE_RECURSE "${suite}")
string(JSON json SET "${json}" product settings softwareName [=["Tide Suite"]=])
string(JSON json SET "${json}" registry
       [=[[{"root": 2, "key": "Software\\Harbour Soft\\Tide Suite", "valueType": 0,
            "valueName": "Removed", "data": "%Removed%"}]]=])
string(JSON json SET "${json}" dialogs
       [=[[{"name": "One", "caption": "One", "width": 400, "height": 300, "afterShowScript": [
            {"command": "RemovePreviousInstall", "params": ["%Removed%", "Tide Parts", "Harbour Soft"]},
            {"command": "Install", "params": []}, {"command": "FinishSetup", "params": []}]}]]=])
string(JSON json SET "${json}" eventScripts [=[[[], [], [], [], [], [], []]]=])
file(WRITE ${WORK}/suite.json "${json}")
run(${EMULATOR} ${CVNPACK} --stub ${STUB} --out suite.exe suite.json)
must("cvnpack suite")
# Nothing is to be asked; a box that comes all the same is closed and shows here.
run(${EMULATOR} ${ANSWER} 200 "=OK" -- ${WORK}/suite.exe)
must("the suite's setup")
if(NOT out STREQUAL "")
  message(FATAL_ERROR "the suite's setup asked: ${out}")
endif()
expect_gone("${product}")
expect_no_key("the Uninstall key" "${list_key}\\Harbour Soft Tide Parts")
expect_exists("${suite}/a.txt")
expect_key("the result of the removal" "${suite_key}" /v Removed)
string(REGEX MATCH "REG_SZ +2[\r\n]" removed "${out}\n")
if(NOT removed)
  message(FATAL_ERROR "the removal's result is not 2: ${out}")
endif()

run(${EMULATOR} ${c}/windows/cvnuninst.exe "C:\\Program Files\\Harbour Soft\\Tide Suite\\uninst.dat" /S)
must("cvnuninst")
expect_gone("${suite}")
expect_no_key("the Uninstall key" "${list_key}\\Harbour Soft Tide Suite")
