/* stb_image for the page's picture decoder: the PNG decoder alone, reading
 * from memory (the worker has no files). Its PNG decoding is the same code as
 * the program's. */
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
