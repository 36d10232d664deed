// Ogg page checks: whether a file's bytes are one whole, undamaged Ogg Vorbis
// stream before stb_vorbis sees them.
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

// True when `data` is exactly a sequence of complete Ogg pages of one logical
// stream, each with version 0, its segments within the data and a matching
// CRC, numbered consecutively, the first marked beginning-of-stream and none
// after one marked end-of-stream; whose first packet is a Vorbis
// identification header with 1 to 8 channels and a rate above 0; and whose
// second packet is a Vorbis comment header whose lengths fit within it.
bool oggIsSingleVorbisStream(const unsigned char* data, size_t size);

#endif
