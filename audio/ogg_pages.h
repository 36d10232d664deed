// Ogg page checks: where a file's first Ogg Vorbis stream ends and whether it
// is whole and undamaged, before stb_vorbis sees it.
//
// The system's stb_vorbis trusts the lengths it reads: a damaged page or
// comment header can make it free an invalid pointer or read past its
// buffers. Every Ogg page carries a CRC-32, so checking every page catches
// any damage to the file, and the few header fields the decoder mishandles
// are checked against the packet that holds them, so a file that was made
// to pass the CRCs does not reach those slips either.
#ifndef MOXEL_AUDIO_OGG_PAGES_H
#define MOXEL_AUDIO_OGG_PAGES_H

#include <cstddef>
#include <cstdint>

// Ogg's checksum of one whole page of `size` bytes: CRC-32 with the polynomial
// 0x04c11db7, most significant bit first, initial value 0, no final xor,
// computed as if the page's own CRC field (bytes 22 to 25) held zero.
uint32_t oggPageCrc(const unsigned char* page, size_t size);

// The size of the first logical stream at the start of `data`, or 0 when it
// is damaged or not Vorbis. The stream is a sequence of complete Ogg pages of
// one serial number, each with version 0, its segments within the data and a
// matching CRC, numbered consecutively, the first marked beginning-of-stream;
// it ends at the page marked end-of-stream, or else exactly at the end of the
// data. Its first packet must be a Vorbis identification header with 1 to 8
// channels and a rate above 0, its second a Vorbis comment header whose lengths
// fit within it. Whatever follows the end-of-stream page (a chained stream, or
// bytes a tagger or a copy added) is not looked at.
size_t oggFirstVorbisStreamSize(const unsigned char* data, size_t size);

#endif
