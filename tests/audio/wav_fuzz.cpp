// Fuzz target for the WAV reader: any bytes in a file named *.wav must load
// or give null without crashing, reading out of bounds or allocating more
// than the file holds. Built with clang's libFuzzer (see CMakeLists.txt).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/sound_file.h"

namespace {

// One scratch file per fuzzing process.
std::string scratchPath() {
    return "/tmp/moxel-wav-fuzz-" + std::to_string(getpid()) + ".wav";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = scratchPath();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);

    int length = 0, channels = 0, format = 0, hertz = 0;
    unsigned char* pcm = loadSound(String(path.c_str()), &length, &channels, &format, &hertz);
    if (pcm) {
        // What the device uploads must lie within what was read from the file.
        size_t bytes = static_cast<size_t>(length) * channels * format;
        if (bytes > size || channels <= 0 || format <= 0 || hertz <= 0) std::abort();
        volatile unsigned char last = bytes > 0 ? pcm[bytes - 1] : 0;
        (void)last;
        unloadSound(pcm);
    }
    return 0;
}
