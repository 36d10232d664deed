// The Ogg Vorbis reader: stb_vorbis decodes the whole file to 16-bit PCM.
//
// The block starts with room for 4096 frames and doubles whenever less than
// that is left, so every decoding call has a full chunk of room.
#include <climits>
#include <cstdlib>

#include "audio/sound_file.h"
#include "host/files.h"

// libstb carries the decoder's implementation; we only want its declarations.
#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

namespace {

constexpr int FRAMES_PER_CHUNK = 4096;
// The decoded size must stay within an int count of bytes, which is what
// OpenAL's upload takes.
constexpr int MAX_SAMPLES = INT_MAX / static_cast<int>(sizeof(short));

}  // namespace

unsigned char* loadOgg(String path, int* length, int* channels, int* format, int* hertz) {
    FILE* f = fopenFile(path, String("rb"));
    if (!f) return nullptr;
    int error = 0;
    stb_vorbis* v = stb_vorbis_open_file(f, 0, &error, nullptr);
    if (!v) {
        std::fclose(f);
        return nullptr;
    }
    stb_vorbis_info info = stb_vorbis_get_info(v);
    int chans = info.channels;

    int chunk = chans * FRAMES_PER_CHUNK;
    int capacity = chunk;
    int used = 0;
    int frames = 0;
    auto* block = static_cast<short*>(std::malloc(sizeof(short) * static_cast<size_t>(capacity)));
    while (block) {
        int n = stb_vorbis_get_frame_short_interleaved(v, chans, block + used, capacity - used);
        if (n == 0) break;
        frames += n;
        used += n * chans;
        if (capacity < chunk + used) {
            short* grown = nullptr;
            if (capacity <= MAX_SAMPLES / 2) {
                capacity *= 2;
                grown =
                    static_cast<short*>(std::realloc(block, sizeof(short) * static_cast<size_t>(capacity)));
            }
            if (!grown) std::free(block);
            block = grown;
        }
    }
    stb_vorbis_close(v);
    std::fclose(f);
    if (!block) return nullptr;

    *length = frames;
    *channels = chans;
    *format = SOUND_FORMAT_16BIT;
    *hertz = static_cast<int>(info.sample_rate);
    return reinterpret_cast<unsigned char*>(block);
}
