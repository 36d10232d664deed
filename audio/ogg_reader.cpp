// The Ogg Vorbis reader: stb_vorbis decodes the whole file to 16-bit PCM.
//
// The file is read into memory whole and its first stream checked page by
// page (ogg_pages.h) before the decoder sees it: the system's stb_vorbis
// crashes on some damaged files, and a player can damage or replace the files
// in data/. Reading the file allocates its own size, nothing that a header
// claims.
//
// The block starts with room for 4096 frames and doubles whenever less than
// that is left, so every decoding call has a full chunk of room. How much a
// file may decode to is bounded by its size (see MAX_FRAMES_PER_BYTE), so a
// small file cannot claim or produce gigabytes of PCM.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

#include "audio/ogg_pages.h"
#include "audio/sound_file.h"
#include "host/base/files.h"

// libstb carries the decoder's implementation; we only want its declarations.
#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

namespace {

constexpr int FRAMES_PER_CHUNK = 4096;
// The decoded size must stay within an int count of bytes, which is what
// OpenAL's upload takes.
constexpr int MAX_SAMPLES = INT_MAX / static_cast<int>(sizeof(short));
// NOTE: a Vorbis packet decodes to at most half of the longest block, 8192 / 2
// frames, and every packet costs at least one byte of the file (its lacing
// value), so no file decodes to more than 4096 frames per byte. The absolute
// cap, 2^28 frames (about 100 minutes at 44100 Hz), is far beyond any sound
// the game plays.
constexpr unsigned long long MAX_FRAMES_PER_BYTE = 4096;
constexpr unsigned long long MAX_FRAMES = 1ull << 28;

}  // namespace

unsigned char* loadOgg(String path, int* length, int* channels, int* format, int* hertz) {
    std::vector<unsigned char> file;
    if (!fileBytes(path, &file)) return nullptr;
    // Only the first stream reaches the decoder: a chained file's later
    // streams and any bytes after the last page are left out.
    const int size = static_cast<int>(oggFirstVorbisStreamSize(file.data(), file.size()));
    if (size == 0) return nullptr;
    int error = 0;
    stb_vorbis* v = stb_vorbis_open_memory(file.data(), size, &error, nullptr);
    if (!v) return nullptr;
    const unsigned long long maxFrames =
        std::min(static_cast<unsigned long long>(size) * MAX_FRAMES_PER_BYTE, MAX_FRAMES);
    stb_vorbis_info info = stb_vorbis_get_info(v);
    int chans = info.channels;

    int chunk = chans * FRAMES_PER_CHUNK;
    int capacity = chunk;
    int used = 0;
    int frames = 0;
    short* block = nullptr;
    // The length the last page claims (0 when unknown) must fit the bound too.
    if (stb_vorbis_stream_length_in_samples(v) <= maxFrames) {
        block = static_cast<short*>(std::malloc(sizeof(short) * static_cast<size_t>(capacity)));
    }
    while (block) {
        int n = stb_vorbis_get_frame_short_interleaved(v, chans, block + used, capacity - used);
        if (n == 0) break;
        frames += n;
        used += n * chans;
        if (static_cast<unsigned long long>(frames) > maxFrames) {
            // More than the file can hold, whatever the decoder makes of it.
            std::free(block);
            block = nullptr;
        } else if (capacity < chunk + used) {
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
    if (!block) return nullptr;

    *length = frames;
    *channels = chans;
    *format = SOUND_FORMAT_16BIT;
    *hertz = static_cast<int>(info.sample_rate);
    return reinterpret_cast<unsigned char*>(block);
}
