# Writes the list of the game's data files for the page (data_index.js, a
# script run before the program): every file's size and, for a picture, its
# width, height and depth as the decoder will deliver them, read from the
# PNG header. The page fetches the files itself and tells the program the
# size of a picture it has not fetched yet.
#
#   cmake -DDATA=<data folder> -DOUTPUT=<data_index.js> -P make_data_index.cmake

# Bytes per pixel the decoder delivers for each PNG colour type (a palette
# picture without transparency is RGB; the program corrects the depth should
# the decoded picture differ).
set(depth_of_type_0 1)
set(depth_of_type_2 3)
set(depth_of_type_3 3)
set(depth_of_type_4 2)
set(depth_of_type_6 4)
# The IHDR chunk's width, height, bit depth and colour type follow the
# signature and the chunk's length and name.
set(IHDR_AT 16)

file(GLOB_RECURSE files RELATIVE ${DATA} ${DATA}/*)
list(SORT files)
set(lines "")
foreach(name ${files})
  file(SIZE ${DATA}/${name} bytes)
  set(entry "${bytes}")
  if(name MATCHES "\\.png$")
    file(READ ${DATA}/${name} header OFFSET ${IHDR_AT} LIMIT 10 HEX)
    string(SUBSTRING "${header}" 0 8 w)
    string(SUBSTRING "${header}" 8 8 h)
    string(SUBSTRING "${header}" 18 2 type)
    math(EXPR w "0x${w}")
    math(EXPR h "0x${h}")
    math(EXPR type "0x${type}")
    set(depth ${depth_of_type_${type}})
    if(depth)
      set(entry "${bytes}, ${w}, ${h}, ${depth}")
    endif()
  endif()
  string(APPEND lines "  'data/${name}': [${entry}],\n")
endforeach()
file(WRITE ${OUTPUT} "// The game's data files: size, and a picture's width, height and depth.\nModule['moxelDataIndex'] = {\n${lines}};\n")
