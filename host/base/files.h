// Data paths, file opening and the state file.
//
// Assets are named by short relative names; bb_data_FixDataPath turns them into
// "vendle://data/" addresses and fopenFile maps those below the current working
// directory. The game's state is one string kept in ".vendlestate" in the
// working directory; a game in progress is kept beside it in ".vendlegame".
// Both are saved the same crash-safe way.
#ifndef MOXEL_HOST_BASE_FILES_H
#define MOXEL_HOST_BASE_FILES_H

#include <cstdio>
#include <string>
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
// The file system's name for `path` (an address mapped below the working
// directory, or the path itself); empty for an address no folder serves.
std::string localFilePath(String path);

// Data files that arrive after the start. The browser's first visit fetches
// only what the menu needs before the game starts; the rest (sounds, other
// resolutions) is written into the data folder while the game runs. A reader
// that finds its file missing may wait for it: host_await_data_file is true
// when the file is on its way, and `arrived` is called once it is in place
// (then forgotten). Nothing is ever on its way on the desktop.
bool host_await_data_file(String path, void (*arrived)(void* who), void* who);
// Whether the file is on its way, without waiting for it.
bool host_data_file_coming(String path);
// Drops every wait of `who` (it goes away, or no longer wants the file).
void host_forget_data_file(void* who);
// Called by the page once a data file is in place, with its local path.
void host_data_file_arrived(const char* localPath);
// Set by the browser's entry: whether the page is still fetching the data
// file at `localPath`. Null on the desktop.
extern bool (*host_data_file_pending)(const char* localPath);

// The state file's name, relative to the working directory.
extern const char* const STATE_FILE_NAME;

// The kept game's file, beside the state file, and what is added to its name
// when one that cannot be read is set aside (then "-2", "-3" ... after that,
// so an earlier one is never replaced).
extern const char* const KEPT_GAME_FILE_NAME;
// The games behind the score tables, as replays, beside the state file.
extern const char* const REPLAYS_FILE_NAME;
extern const char* const SET_ASIDE_SUFFIX;

String host_load_state();
// Writes the state through a temporary file renamed over the old one, so a
// crash or a full disk never leaves a cut or empty state file behind. A state
// file that is a symbolic link is saved through it to the file it names; one
// the player may not write is left alone (SAVE_CANNOT_OPEN); in a folder that
// takes no new files the file is written in place. A failed save prints one
// line on stderr naming the file and the reason.
int host_save_state(const String& state);
String host_load_string(String path);

// The same for any file of the working directory (the kept game): saved as
// the state is, read whole (false when it is missing or cannot be read),
// removed, or set aside under a free name beside it. Each follows symbolic
// links to the file they name, as the state file's save does.
int host_save_file(const char* name, const std::string& bytes);
bool host_load_file(const char* name, std::string* bytes);
// The file's size in bytes, -1 when it is missing or cannot be looked at.
long host_file_size(const char* name);
// True when the file is gone afterwards (or was never there).
bool host_remove_file(const char* name);
// The name the file now has (its folder included when a link led elsewhere);
// empty, with the file left where it is, when it could not be moved.
std::string host_set_aside_file(const char* name);

// When set, called with the result (SAVE_OK or a failure) of every save that
// went as far as writing the file, and with SAVE_OK after a file was removed
// or set aside. The browser build writes the saved files through to the
// page's storage here.
extern void (*host_state_saved)(int result);

// Test seam: when set, called with the number of bytes about to be written;
// the write is cut to the number it returns.
extern long (*host_save_write_limit)(long bytes);

#endif
