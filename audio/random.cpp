// Random numbers and absolute values.
#include "audio/random.h"

#include <cstdint>

int bb_random_Seed = 1234;

namespace {

constexpr uint32_t LCG_MULTIPLIER = 1664525u;
constexpr uint32_t LCG_INCREMENT = 0x3C6EF35Fu;  // 1013904223
// The top 24 bits of the seed are the raw value: exactly a float's precision.
constexpr int RAW_SHIFT = 8;
constexpr float RAW_SCALE = 0x1p-24f;

// Advances the seed once and returns its raw value r in [0, 1).
float next_raw() {
    // Unsigned: the seed wraps modulo 2^32 by design.
    uint32_t seed = static_cast<uint32_t>(bb_random_Seed) * LCG_MULTIPLIER + LCG_INCREMENT;
    bb_random_Seed = static_cast<int>(seed);
    return static_cast<float>(seed >> RAW_SHIFT) * RAW_SCALE;
}

}  // namespace

float bb_random_Rnd() {
    return next_raw();
}

float bb_random_Rnd2(float low, float high) {
    float r = next_raw();
    return low + (high - low) * r;
}

float bb_random_Rnd3(float range) {
    return next_raw() * range;
}

int bb_math_Abs(int x) {
    // Negated in unsigned arithmetic, where the most negative int wraps to itself.
    return x < 0 ? static_cast<int>(0u - static_cast<unsigned>(x)) : x;
}

float bb_math_Abs2(float x) {
    return x >= 0 ? x : -x;
}
