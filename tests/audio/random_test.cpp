// The random generator, reproduced bit for bit, and the absolute-value helpers.
#include "audio/random.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>

namespace {

constexpr int START_SEED = 1234;

// The seed whose successor is `next`: the recurrence run backwards.
int seedBefore(uint32_t next) {
    // Inverse of the multiplier modulo 2^32, by Newton's iteration.
    uint32_t a = 1664525u, inv = a;
    for (int i = 0; i < 5; ++i) inv *= 2u - a * inv;
    return static_cast<int>((next - 1013904223u) * inv);
}

TEST(Random, StartSeedGivesTheKnownFirstValue) {
    bb_random_Seed = START_SEED;
    EXPECT_EQ(bb_random_Rnd(), 11984094.0f / 16777216.0f);
    EXPECT_EQ(static_cast<uint32_t>(bb_random_Seed), 3067928073u);
    EXPECT_LT(bb_random_Seed, 0);
}

TEST(Random, SameSeedGivesTheSameSequence) {
    bb_random_Seed = 99;
    float first[50];
    for (float& v : first) v = bb_random_Rnd();
    bb_random_Seed = 99;
    for (float v : first) EXPECT_EQ(bb_random_Rnd(), v);
}

TEST(Random, ValuesStayBelowOne) {
    bb_random_Seed = seedBefore(0xFFFFFFFFu);
    float top = bb_random_Rnd();
    EXPECT_EQ(top, 16777215.0f / 16777216.0f);
    EXPECT_LT(top, 1.0f);
    bb_random_Seed = seedBefore(0xFFu);
    EXPECT_EQ(bb_random_Rnd(), 0.0f);
}

TEST(Random, EveryOperationAdvancesTheSeedOnce) {
    bb_random_Seed = START_SEED;
    float r[4];
    for (float& v : r) v = bb_random_Rnd();

    bb_random_Seed = START_SEED;
    EXPECT_EQ(bb_random_Rnd2(3.0f, 3.0f), 3.0f);  // equal bounds: r[0] spent
    EXPECT_EQ(bb_random_Rnd3(0.0f), 0.0f);        // empty range: r[1] spent
    EXPECT_EQ(bb_random_Rnd3(10.0f), r[2] * 10.0f);
    EXPECT_EQ(bb_random_Rnd2(-2.0f, 6.0f), -2.0f + 8.0f * r[3]);
}

TEST(Random, ReversedBoundsGiveValuesUpToTheLowBound) {
    bb_random_Seed = 7;
    for (int i = 0; i < 1000; ++i) {
        float v = bb_random_Rnd2(10.0f, 2.0f);
        EXPECT_GT(v, 2.0f);
        EXPECT_LE(v, 10.0f);
    }
    bb_random_Seed = seedBefore(0xFFu);  // r = 0
    EXPECT_EQ(bb_random_Rnd2(10.0f, 2.0f), 10.0f);
}

TEST(MathAbs, IntsAndFloats) {
    EXPECT_EQ(bb_math_Abs(-5), 5);
    EXPECT_EQ(bb_math_Abs(5), 5);
    EXPECT_EQ(bb_math_Abs(0), 0);
    EXPECT_EQ(bb_math_Abs(INT_MAX), INT_MAX);
    EXPECT_EQ(bb_math_Abs(-INT_MAX), INT_MAX);
    EXPECT_EQ(bb_math_Abs(INT_MIN), INT_MIN);  // wraps to itself

    EXPECT_EQ(bb_math_Abs2(-2.5f), 2.5f);
    EXPECT_EQ(bb_math_Abs2(2.5f), 2.5f);
    EXPECT_EQ(bb_math_Abs2(-INFINITY), INFINITY);
    // -0 compares equal to 0, so it comes back as it went in.
    EXPECT_TRUE(std::signbit(bb_math_Abs2(-0.0f)));
    EXPECT_TRUE(std::isnan(bb_math_Abs2(NAN)));
    EXPECT_NE(std::signbit(bb_math_Abs2(NAN)), std::signbit(NAN));
}

}  // namespace
