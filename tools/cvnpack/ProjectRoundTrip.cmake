# Packs every example project (and the JSON example), writes each package back as a project with
# cvndump --project, packs that again and checks the two packages are the same
# bytes. Run by ctest: cmake -DCVNPACK=... -DCVNDUMP=... -DEXAMPLES=... -DWORK=... -P ProjectRoundTrip.cmake

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/stub.exe "MZ stand-in for the setup program\n")
file(GLOB projects ${EXAMPLES}/*/project.toml)

# A project with its main archive in volume files and a component's own archive, both
# with a header text of their own; the big member does not compress and spreads over
# three volumes.
file(MAKE_DIRECTORY ${WORK}/source/volumes)
string(RANDOM LENGTH 150000 RANDOM_SEED 15 big)
file(WRITE ${WORK}/source/volumes/big.bin "${big}")
file(WRITE ${WORK}/source/volumes/extra.txt "the component's own file\n")
file(WRITE ${WORK}/source/volumes/project.toml [=[
[product.settings]
softwareName = 'Archives'

[[components]]
name = 'Extra'

[[files]]
memberId = 0
entry = { sourceName = 'big.bin', targetDir = '%InstallDir%' }

[[files]]
memberId = 1
entry = { sourceName = 'extra.txt', targetDir = '%InstallDir%', components = 'Extra' }

[archive]
headerText = 'Archives of the volume check'
volumeSize = 70000
members = [ { id = 0, file = 'big.bin', date = 1234567 } ]
components = [ { component = 'Extra', members = [ { id = 1, file = 'extra.txt', date = 7654321 } ] } ]
]=])
list(APPEND projects ${WORK}/source/volumes/project.toml)

# An empty header text is not the writer's own, and a member dated 0 keeps that date
# instead of taking its file's.
file(MAKE_DIRECTORY ${WORK}/source/undated)
file(WRITE ${WORK}/source/undated/note.txt "dated 0\n")
file(WRITE ${WORK}/source/undated/project.toml [=[
[product.settings]
softwareName = 'Undated'

[[files]]
memberId = 3
entry = { sourceName = 'note.txt', targetDir = '%InstallDir%' }

[archive]
headerText = ''
members = [ { id = 3, file = 'note.txt', date = 0 } ]
]=])
list(APPEND projects ${WORK}/source/undated/project.toml)
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
  file(GLOB volumes ${WORK}/${name}.0??)
  foreach(volume ${volumes})
    string(REGEX REPLACE "\\.(0..)$" "-again.\\1" again ${volume})
    file(SHA256 ${volume} first)
    file(SHA256 ${again} second)
    if(NOT first STREQUAL second)
      message(FATAL_ERROR "${name}: volume ${volume} packed from the written-back project differs")
    endif()
  endforeach()
endforeach()
