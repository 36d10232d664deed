# The libraries of the browser build, under the names the desktop build's
# targets link to: Emscripten's own GLFW 3, OpenAL (over Web Audio) and WebGL
# are link options, and the stb decoders are compiled in from the system's
# headers (Debian's libstb-dev), as the fuzz targets compile them.
set(STB_INCLUDE_DIR /usr/include/stb CACHE PATH "The folder holding stb_image.h")

add_library(PkgConfig::GLFW3 INTERFACE IMPORTED)
set_target_properties(PkgConfig::GLFW3 PROPERTIES INTERFACE_LINK_OPTIONS "-sUSE_GLFW=3")

add_library(OpenGL::GL INTERFACE IMPORTED)

add_library(openal_lib INTERFACE)
target_link_options(openal_lib INTERFACE -lopenal)

add_library(stb_lib STATIC ${CMAKE_SOURCE_DIR}/fuzz/stb_decoders.c)
target_include_directories(stb_lib SYSTEM PUBLIC ${STB_INCLUDE_DIR})
# The decoders are not ours: their warnings are not ours to fix.
target_compile_options(stb_lib PRIVATE -w)
