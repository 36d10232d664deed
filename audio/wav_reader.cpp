// The RIFF WAVE reader: uncompressed PCM, "fmt " first, then any chunks up to "data".
//
// The file may be damaged or crafted, so the reader checks what the header
// claims against the file itself:
// - a chunk that claims more bytes than remain in the file is never allocated:
//   the file is rejected (for "data", and for any other chunk, since skipping
//   it would leave nothing to read);
// - 0 channels, fewer than 8 bits per sample or a rate of 0 give null, so the
//   frame size is never 0;
// - chunks other than "data" are skipped by seeking, never read into memory,
//   and nothing is allocated beyond the file's own size.
//
// NOTE: RIFF pads a chunk of odd size with one byte so the next chunk starts
// on an even offset. We skip that byte after every odd-sized chunk before
// "data", as the files of common writers require; a file whose chunks before
// "data" all have even sizes reads the same either way.
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "audio/sound_file.h"
#include "host/base/files.h"

namespace {

constexpr int WAVE_FORMAT_PCM = 1;
// Fields of the "fmt " chunk we read: format tag, channels, rate, byte rate,
// block align, bits per sample.
constexpr uint32_t FMT_FIELDS_SIZE = 16;
constexpr int BITS_PER_BYTE = 8;

// Closes the file on every way out of the reader.
class FileCloser {
  public:
    explicit FileCloser(FILE* f) : file(f) {}
    ~FileCloser() { std::fclose(file); }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

  private:
    FILE* file;
};

// Total size of an open file, or -1 when it cannot be measured.
long file_size(FILE* f) {
    long here = std::ftell(f);
    if (here < 0 || std::fseek(f, 0, SEEK_END) != 0) return -1;
    long size = std::ftell(f);
    if (std::fseek(f, here, SEEK_SET) != 0) return -1;
    return size;
}

// Bytes between the read position and the end of the file.
long remaining(FILE* f, long size) {
    long here = std::ftell(f);
    return here < 0 || here > size ? 0 : size - here;
}

// Skips a chunk body of `size` bytes and its pad byte; false when the chunk
// runs past the end of the file.
bool skip_chunk(FILE* f, long fsize, uint32_t size) {
    long left = remaining(f, fsize);
    if (size > static_cast<unsigned long>(left)) return false;
    long skip = static_cast<long>(size);
    // A missing pad byte at the very end is harmless: the next tag read fails.
    if ((size & 1) != 0 && skip < left) ++skip;
    return std::fseek(f, skip, SEEK_CUR) == 0;
}

}  // namespace

int readShort(FILE* file) {
    unsigned char b[2];
    if (std::fread(b, 1, sizeof b, file) != sizeof b) return -1;
    return b[0] | b[1] << 8;
}

int readInt(FILE* file) {
    unsigned char b[4];
    if (std::fread(b, 1, sizeof b, file) != sizeof b) return -1;
    uint32_t v = b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
    return static_cast<int>(v);
}

String readTag(FILE* file) {
    unsigned char b[4];
    if (std::fread(b, 1, sizeof b, file) != sizeof b) return String();
    return String(b, sizeof b);
}

unsigned char* loadWav(String path, int* length, int* channels, int* format, int* hertz) {
    FILE* f = fopenFile(path, String("rb"));
    if (!f) return nullptr;
    FileCloser closer(f);
    long fsize = file_size(f);
    if (fsize < 0) return nullptr;

    if (readTag(f) != String("RIFF")) return nullptr;
    readInt(f);  // the RIFF size: the file's own size is what we trust
    if (readTag(f) != String("WAVE")) return nullptr;
    if (readTag(f) != String("fmt ")) return nullptr;
    uint32_t fmtSize = static_cast<uint32_t>(readInt(f));

    if (readShort(f) != WAVE_FORMAT_PCM) return nullptr;
    int chans = readShort(f);
    int rate = readInt(f);
    readInt(f);    // byte rate
    readShort(f);  // block align
    int bits = readShort(f);
    // -1 (the file ended) falls under these tests too.
    if (chans <= 0 || bits < BITS_PER_BYTE || rate <= 0) return nullptr;
    if (fmtSize > FMT_FIELDS_SIZE && !skip_chunk(f, fsize, fmtSize - FMT_FIELDS_SIZE)) return nullptr;

    for (;;) {
        String tag = readTag(f);
        if (tag.Length() == 0 || std::feof(f)) return nullptr;
        uint32_t size = static_cast<uint32_t>(readInt(f));
        if (tag != String("data")) {
            if (!skip_chunk(f, fsize, size)) return nullptr;
            continue;
        }
        // OpenAL takes the upload size as an int.
        if (size > static_cast<unsigned long>(remaining(f, fsize)) || size > static_cast<uint32_t>(INT_MAX)) {
            return nullptr;
        }
        // One byte at least, so an empty chunk still gives a block to return.
        auto* data = static_cast<unsigned char*>(std::malloc(size > 0 ? size : 1));
        if (!data) return nullptr;
        if (std::fread(data, 1, size, f) != size) {
            std::free(data);
            return nullptr;
        }
        int bytes = bits / BITS_PER_BYTE;
        *format = bytes;
        // A trailing partial frame is left out of the length.
        *length = static_cast<int>(size / (static_cast<uint32_t>(chans) * static_cast<uint32_t>(bytes)));
        *channels = chans;
        *hertz = rate;
        return data;
    }
}
