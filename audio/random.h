// The framework's random numbers and absolute-value helpers.
//
// The generator is a 32-bit linear congruential generator whose whole state
// is bb_random_Seed. Courses are built from it after the game sets the seed,
// so it is reproduced bit for bit: the same seed gives the same course.
#ifndef MOXEL_AUDIO_RANDOM_H
#define MOXEL_AUDIO_RANDOM_H

// The seed; 1234 at start-up. Anyone may assign it to repeat a sequence.
extern int bb_random_Seed;

// Each advances the seed once. A float in [0, 1).
float bb_random_Rnd();
// low + (high - low) * r; the bounds may come in either order or be equal.
float bb_random_Rnd2(float low, float high);
// r * range.
float bb_random_Rnd3(float range);

// -x for negative x; the most negative int gives itself.
int bb_math_Abs(int x);
// x when x >= 0, else -x (so a NaN comes back negated).
float bb_math_Abs2(float x);

#endif
