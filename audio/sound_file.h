// Sound files: decoding a WAV or Ogg Vorbis file whole into PCM in memory.
//
// loadSound picks the reader by the file name's extension (compared in lower
// case): "wav" is our own RIFF WAVE reader, "ogg" goes through stb_vorbis. The
// PCM comes back interleaved, channel 0 first; 8-bit samples unsigned, 16-bit
// samples signed little-endian. The caller releases it with unloadSound.
//
// Files in data/ are not trusted: the WAV reader never allocates more than
// the file holds and rejects headers it cannot divide by (see wav_reader.cpp);
// the Ogg reader hands the decoder only files whose every page checks out and
// decodes no more than the file's size allows (see ogg_reader.cpp).
#ifndef MOXEL_AUDIO_SOUND_FILE_H
#define MOXEL_AUDIO_SOUND_FILE_H

#include <cstdio>

#include "runtime/string.h"

// Bytes per sample of 8- and 16-bit PCM.
constexpr int SOUND_FORMAT_8BIT = 1;
constexpr int SOUND_FORMAT_16BIT = 2;

// Decodes the file at the data path `path` (opened with fopenFile). Returns a
// block from the C allocator, or null; the out-values give the number of
// frames, the channel count, the bytes per sample and the frames per second.
unsigned char* loadSound(String path, int* length, int* channels, int* format, int* hertz);
void unloadSound(unsigned char* data);

// The lower-case extension of a path: what follows its last ".", or the
// empty string when there is no dot or a "/" or "\" follows it.
String soundFileExtension(const String& path);

// The OpenAL buffer format for bytes per sample and channels; 0 for any
// layout OpenAL cannot take (it then rejects the upload and the sample is silent).
int soundBufferFormat(int format, int channels);

// Little-endian readers: the next 2 bytes as an unsigned 16-bit value, the
// next 4 as a 32-bit value, or -1 when the file ends first.
int readShort(FILE* file);
int readInt(FILE* file);
// The next 4 bytes as a 4-character tag, or the empty tag when the file ends first.
String readTag(FILE* file);

// The two readers behind loadSound.
unsigned char* loadWav(String path, int* length, int* channels, int* format, int* hertz);
unsigned char* loadOgg(String path, int* length, int* channels, int* format, int* hertz);

#endif
