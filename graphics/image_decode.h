// Image decoding without OpenGL: PNG files in memory to pixels (stb_image,
// with the file's own channel count), the checks that keep a damaged or
// hostile file from reaching the decoder, and premultiplication by alpha.
//
// Kept apart from the surfaces so that the browser's picture decoder, which
// runs in a worker of its own, decodes with exactly this code.
#ifndef MOXEL_GRAPHICS_IMAGE_DECODE_H
#define MOXEL_GRAPHICS_IMAGE_DECODE_H

// Decodes a PNG image from memory with its own channel count; null when it is
// not a PNG file, damaged, empty, or claims more pixels than its size can
// hold. Frees with unloadImage.
unsigned char* loadImage(const unsigned char* buffer, int length, int* width, int* height, int* depth);
void unloadImage(unsigned char* pixels);

// What loadImage would deliver, read from the file's header without decoding
// it: false where loadImage is sure to refuse the file.
bool imageHeader(const unsigned char* buffer, int length, int* width, int* height, int* depth);

// Multiplies colour by alpha in place, rounding down, for depths 2 and 4
// (luminance-alpha and RGBA); other depths have no alpha and stay as they are.
void premultiplyPixels(unsigned char* pixels, long count, int depth);

#endif
