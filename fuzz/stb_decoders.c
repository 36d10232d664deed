/* The image and Ogg Vorbis decoders, compiled into the fuzz targets so that
 * the sanitizers and the fuzzer's coverage see inside them. */
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <stb_vorbis.h>
