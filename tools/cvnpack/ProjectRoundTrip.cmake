# Packs every example project (and the JSON example), writes each package back as a project with
# cvndump --project, packs that again and checks the two packages are the same
# bytes. Run by ctest: cmake -DCVNPACK=... -DCVNDUMP=... -DEXAMPLES=... -DWORK=... -P ProjectRoundTrip.cmake

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/stub.exe "MZ stand-in for the setup program\n")
file(GLOB projects ${EXAMPLES}/*/project.toml)
list(APPEND projects ${JSON_EXAMPLE})
if(NOT projects)
  message(FATAL_ERROR "no example projects in ${EXAMPLES}")
endif()
foreach(project ${projects})
  get_filename_component(folder ${project} DIRECTORY)
  get_filename_component(name ${folder} NAME)
  execute_process(COMMAND ${CVNPACK} --stub ${WORK}/stub.exe --out ${WORK}/${name}.exe ${project}
                  RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${name}: cvnpack failed (${rc}): ${err}")
  endif()
  execute_process(COMMAND ${CVNDUMP} --project ${WORK}/${name} ${WORK}/${name}.exe RESULT_VARIABLE rc
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${name}: cvndump --project failed (${rc}): ${err}")
  endif()
  execute_process(COMMAND ${CVNPACK} --stub ${WORK}/stub.exe --out ${WORK}/${name}-again.exe
                          ${WORK}/${name}/project.toml RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${name}: cvnpack of the written-back project failed (${rc}): ${err}")
  endif()
  file(SHA256 ${WORK}/${name}.exe first)
  file(SHA256 ${WORK}/${name}-again.exe second)
  if(NOT first STREQUAL second)
    message(FATAL_ERROR "${name}: the package packed from the written-back project differs")
  endif()
endforeach()
