# Writes the service worker of one build: sw.js from its template, with the
# list of the build's files with the SHA-256 of each (the worker keeps a file
# only with those bytes) and a cache name made from their contents.
#
#   cmake -DSITE=<folder> -DFILES=<name;...> [-DDATA=<subfolder>] -DTEMPLATE=<sw.js.in> -P make_worker.cmake
#
# DATA names a folder of the site whose every file is kept too (the game's data).
if(DATA)
  file(GLOB_RECURSE data_files RELATIVE ${SITE} ${SITE}/${DATA}/*)
  list(SORT data_files)
  list(APPEND FILES ${data_files})
endif()
set(hashes "")
set(list "")
foreach(name ${FILES})
  file(SHA256 ${SITE}/${name} hash)
  string(APPEND hashes "${name} ${hash}\n")
  string(APPEND list "  ['${name}', '${hash}'],\n")
endforeach()
string(SHA256 build "${hashes}")
string(SUBSTRING "${build}" 0 16 MOXEL_BUILD)
set(MOXEL_BUILD_FILES "${list}")
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
