// Fuzz support: the readers open files by path, so each input is written to
// one scratch file per process (in /dev/shm when it exists: no disk I/O).
#ifndef MOXEL_FUZZ_SCRATCH_FILE_H
#define MOXEL_FUZZ_SCRATCH_FILE_H

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace fuzz {

// A path ending in `extension` (".wav", ".ogg"), unique to this process.
inline std::string ScratchPath(const char* extension) {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/moxel-fuzz-" + std::to_string(getpid()) + extension;
}

// Replaces the file's content with the input; false when it cannot be written.
inline bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

}  // namespace fuzz

#endif
