// Data paths, file opening and the state file.
//
// Assets are named by short relative names; bb_data_FixDataPath turns them into
// "vendle://data/" addresses and fopenFile maps those below the current working
// directory. The game's state is one string kept in ".vendlestate" in the
// working directory.
#ifndef MOXEL_HOST_BASE_FILES_H
#define MOXEL_HOST_BASE_FILES_H

#include <cstdio>
#include <vector>

#include "runtime/string.h"

// Results of saving the state.
constexpr int SAVE_OK = 0;
constexpr int SAVE_CANNOT_OPEN = -1;
constexpr int SAVE_SHORT_WRITE = -2;

String bb_data_FixDataPath(String path);
FILE* fopenFile(String path, String mode);
// Reads the whole file at `path` (opened with fopenFile) into `bytes`. False when
// it cannot be opened or read, or holds more than an int can count: the decoders
// that take the bytes count in ints. Reads the file's own size, nothing more.
bool fileBytes(String path, std::vector<unsigned char>* bytes);

// The state file's name, relative to the working directory.
extern const char* const STATE_FILE_NAME;

String host_load_state();
// Writes the state through a temporary file renamed over the old one, so a
// crash or a full disk never leaves a cut or empty state file behind. A state
// file that is a symbolic link is saved through it to the file it names; one
// the player may not write is left alone (SAVE_CANNOT_OPEN); in a folder that
// takes no new files the file is written in place. A failed save prints one
// line on stderr naming the file and the reason.
int host_save_state(const String& state);
String host_load_string(String path);

// When set, called with the result (SAVE_OK or a failure) of every save that
// went as far as writing the file. The browser build writes the saved file
// through to the page's storage here.
extern void (*host_state_saved)(int result);

// Test seam: when set, called with the number of bytes about to be written;
// the write is cut to the number it returns.
extern long (*host_save_write_limit)(long bytes);

#endif
