// Ogg page checks: the page walk over a file's first stream, each page's CRC,
// and the two Vorbis header packets the decoder reads first.
//
// NOTE: the comment header is checked because stb_vorbis reads its comment
// count and lengths without comparing them with the packet: a count larger
// than the packet makes it allocate a list it never fills, and the clean-up
// after the failed open then frees the list's uninitialised entries.
#include "audio/ogg_pages.h"

#include <array>
#include <cstring>
#include <vector>

namespace {

// Page header fields, as offsets from "OggS".
constexpr size_t PAGE_HEADER_SIZE = 27;
constexpr size_t PAGE_VERSION = 4;
constexpr size_t PAGE_FLAGS = 5;
constexpr size_t PAGE_SERIAL = 14;
constexpr size_t PAGE_SEQUENCE = 18;
constexpr size_t PAGE_CRC = 22;
constexpr size_t PAGE_SEGMENTS = 26;
constexpr size_t CRC_SIZE = 4;
constexpr unsigned char FLAG_CONTINUED = 0x01;
constexpr unsigned char FLAG_FIRST_PAGE = 0x02;
constexpr unsigned char FLAG_LAST_PAGE = 0x04;
// A lacing value below this ends a packet; 255 means it goes on.
constexpr unsigned char FULL_SEGMENT = 255;

// The Vorbis identification header: type 1, "vorbis", version 0, channels
// (1 byte), rate (4 bytes), three bit rates, block sizes, framing: 30 bytes.
constexpr size_t ID_HEADER_SIZE = 30;
constexpr size_t ID_CHANNELS = 11;
constexpr size_t ID_RATE = 12;
constexpr int MAX_CHANNELS = 8;
constexpr size_t VORBIS_MAGIC_SIZE = 7;
const char ID_MAGIC[] = "\x01vorbis";
const char COMMENT_MAGIC[] = "\x03vorbis";
constexpr unsigned char FRAMING_BIT = 0x01;

constexpr uint32_t CRC_POLYNOMIAL = 0x04c11db7;

constexpr std::array<uint32_t, 256> make_crc_table() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i << 24;
        for (int bit = 0; bit < 8; ++bit) r = (r & 0x80000000u) ? (r << 1) ^ CRC_POLYNOMIAL : r << 1;
        table[i] = r;
    }
    return table;
}
constexpr std::array<uint32_t, 256> CRC_TABLE = make_crc_table();

uint32_t crc_update(uint32_t crc, const unsigned char* data, size_t size) {
    for (size_t i = 0; i < size; ++i) crc = (crc << 8) ^ CRC_TABLE[((crc >> 24) ^ data[i]) & 0xff];
    return crc;
}

uint32_t le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool id_header_is_sane(const std::vector<unsigned char>& packet) {
    if (packet.size() < ID_HEADER_SIZE || std::memcmp(packet.data(), ID_MAGIC, VORBIS_MAGIC_SIZE) != 0) {
        return false;
    }
    int channels = packet[ID_CHANNELS];
    return channels >= 1 && channels <= MAX_CHANNELS && le32(&packet[ID_RATE]) > 0;
}

// Magic, vendor string, comment count, each comment, framing byte: every
// length must fit in what is left of the packet.
bool comment_header_fits(const std::vector<unsigned char>& packet) {
    size_t size = packet.size();
    if (size < VORBIS_MAGIC_SIZE || std::memcmp(packet.data(), COMMENT_MAGIC, VORBIS_MAGIC_SIZE) != 0) {
        return false;
    }
    size_t at = VORBIS_MAGIC_SIZE;
    // Reads a 4-byte length and skips that many bytes, if they are there.
    auto skipString = [&]() {
        if (size - at < 4) return false;
        uint32_t length = le32(&packet[at]);
        at += 4;
        if (size - at < length) return false;
        at += length;
        return true;
    };
    if (!skipString()) return false;
    if (size - at < 4) return false;
    uint32_t count = le32(&packet[at]);
    at += 4;
    for (uint32_t i = 0; i < count; ++i) {
        if (!skipString()) return false;
    }
    return at < size && (packet[at] & FRAMING_BIT) != 0;
}

}  // namespace

uint32_t oggPageCrc(const unsigned char* page, size_t size) {
    static const unsigned char zeros[CRC_SIZE] = {};
    if (size < PAGE_HEADER_SIZE) return crc_update(0, page, size);
    uint32_t crc = crc_update(0, page, PAGE_CRC);
    crc = crc_update(crc, zeros, CRC_SIZE);
    return crc_update(crc, page + PAGE_CRC + CRC_SIZE, size - PAGE_CRC - CRC_SIZE);
}

size_t oggFirstVorbisStreamSize(const unsigned char* data, size_t size) {
    // The identification and comment headers, gathered across pages: copies
    // of parts of the file, so never longer than it.
    constexpr size_t HEADER_PACKETS = 2;
    std::array<std::vector<unsigned char>, HEADER_PACKETS> headers;
    size_t packet = 0;         // index of the packet being gathered
    bool packetOpen = false;   // the previous page ended inside a packet
    bool streamEnded = false;  // a page marked end-of-stream was seen
    uint32_t serial = 0, sequence = 0;

    size_t pos = 0;
    while (pos < size && !streamEnded) {
        const unsigned char* page = data + pos;
        size_t left = size - pos;
        if (left < PAGE_HEADER_SIZE || std::memcmp(page, "OggS", 4) != 0) return 0;
        if (page[PAGE_VERSION] != 0) return 0;
        unsigned char flags = page[PAGE_FLAGS];
        bool first = pos == 0;
        if (((flags & FLAG_FIRST_PAGE) != 0) != first) return 0;
        if (((flags & FLAG_CONTINUED) != 0) != packetOpen) return 0;
        if (first) {
            serial = le32(page + PAGE_SERIAL);
            sequence = le32(page + PAGE_SEQUENCE);
        } else if (le32(page + PAGE_SERIAL) != serial || le32(page + PAGE_SEQUENCE) != ++sequence) {
            return 0;
        }
        size_t segments = page[PAGE_SEGMENTS];
        if (left - PAGE_HEADER_SIZE < segments) return 0;
        const unsigned char* lacing = page + PAGE_HEADER_SIZE;
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i) body += lacing[i];
        size_t pageSize = PAGE_HEADER_SIZE + segments + body;
        if (left < pageSize || le32(page + PAGE_CRC) != oggPageCrc(page, pageSize)) return 0;

        const unsigned char* segment = lacing + segments;
        for (size_t i = 0; i < segments; ++i) {
            if (packet < HEADER_PACKETS)
                headers[packet].insert(headers[packet].end(), segment, segment + lacing[i]);
            segment += lacing[i];
            packetOpen = lacing[i] == FULL_SEGMENT;
            if (!packetOpen) ++packet;
        }
        streamEnded = (flags & FLAG_LAST_PAGE) != 0;
        pos += pageSize;
    }
    bool vorbis =
        packet >= HEADER_PACKETS && id_header_is_sane(headers[0]) && comment_header_fits(headers[1]);
    return vorbis ? pos : 0;
}
