// Fuzz target: the WAV reader. Any file named *.wav loads or gives null; what
// it returns lies within the bytes the file holds (the device uploads
// length * channels * bytes per sample of it).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "audio/sound_file.h"
#include "fuzz/scratch_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzz::ScratchPath(".wav");
    if (!fuzz::WriteFile(path, data, size)) return 0;
    int length = 0, channels = 0, format = 0, hertz = 0;
    unsigned char* pcm = loadSound(String(path.c_str()), &length, &channels, &format, &hertz);
    if (!pcm) return 0;
    if (length < 0 || channels <= 0 || format <= 0 || hertz <= 0) std::abort();
    const size_t bytes =
        static_cast<size_t>(length) * static_cast<size_t>(channels) * static_cast<size_t>(format);
    if (bytes > size) std::abort();
    // Touch the last byte the upload would read: ASan checks it is inside the block.
    if (bytes > 0) {
        volatile unsigned char last = pcm[bytes - 1];
        (void)last;
    }
    unloadSound(pcm);
    return 0;
}
