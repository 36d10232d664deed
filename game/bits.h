// What the game's own files share: floats kept as their exact bits, and the
// FNV-1a checksum (32 bits) that tells a file cut short or changed from one
// written whole.
#ifndef MOXEL_GAME_BITS_H
#define MOXEL_GAME_BITS_H

#include <cstdint>
#include <cstring>
#include <string_view>

inline uint32_t fnv1a(std::string_view bytes) {
    constexpr uint32_t FNV_OFFSET = 2166136261u;
    constexpr uint32_t FNV_PRIME = 16777619u;
    uint32_t h = FNV_OFFSET;
    for (char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= FNV_PRIME;
    }
    return h;
}

inline uint32_t bits_of(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

inline float float_of(uint32_t bits) {
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

#endif
