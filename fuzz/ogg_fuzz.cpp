// Fuzz target: the Ogg Vorbis reader. Any file named *.ogg decodes or gives
// null, and the PCM it returns is as long as it says.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "audio/sound_file.h"
#include "fuzz/scratch_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzz::ScratchPath(".ogg");
    if (!fuzz::WriteFile(path, data, size)) return 0;
    int length = 0, channels = 0, format = 0, hertz = 0;
    unsigned char* pcm = loadSound(String(path.c_str()), &length, &channels, &format, &hertz);
    if (!pcm) return 0;
    if (length < 0 || channels <= 0 || format != SOUND_FORMAT_16BIT) std::abort();
    const size_t bytes =
        static_cast<size_t>(length) * static_cast<size_t>(channels) * static_cast<size_t>(format);
    if (bytes > 0) {
        volatile unsigned char last = pcm[bytes - 1];
        (void)last;
    }
    unloadSound(pcm);
    return 0;
}
