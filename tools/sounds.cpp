// sounds: the recipe of every sound effect (see synth.h for the voices).
//
// The game plays 010 to 015, 098 and 099; it loads 001, 095 and 016 to 018 without playing them, so those
// are a start jingle and spare effects that would fit the game if it ever used them. Effect 012 is played
// up to twice its pitch as a combo builds, so it is a bell whose partials stay below the top of the band
// even then.
#include "tools/synth.h"

namespace makedata {

namespace {

// Note frequencies, Hz.
constexpr float G4 = 392.00f, C5 = 523.25f, E5 = 659.25f, G5 = 783.99f, C6 = 1046.50f;

// The club meets the ball: a sharp crack over a short thump.
Sound stroke() {
    Sound s(0.25f);
    s.noise(0, 0.12f, 0.7f, {0.001f, 45}, 0.35f, 0.7f, 10);
    s.tone(0, 0.2f, 190, 90, 0.6f, {0.002f, 22});
    s.tone(0, 0.05f, 2300, 1800, 0.25f, {0.0005f, 90});
    return s;
}

// The ball lands on the grass: a soft, dull thud.
Sound ground_bounce() {
    Sound s(0.2f);
    s.tone(0, 0.18f, 120, 55, 0.9f, {0.003f, 20});
    s.noise(0, 0.1f, 0.35f, {0.002f, 40}, 0.9f, 0.95f, 11);
    return s;
}

// The ball strikes a target or bonus: a bright ring.
Sound object_hit() {
    Sound s(0.9f);
    s.bell(0, 0.9f, C6, 0.8f, 5.0f);
    s.noise(0, 0.02f, 0.2f, {0.0005f, 200}, 0.2f, 0.2f, 12);
    return s;
}

// The ball knocks against the side of the screen: a short wooden tock.
Sound wall_bounce() {
    Sound s(0.12f);
    s.tone(0, 0.12f, 720, 680, 0.8f, {0.001f, 45});
    s.tone(0, 0.08f, 1750, 1700, 0.3f, {0.001f, 70});
    s.noise(0, 0.03f, 0.2f, {0.0005f, 150}, 0.5f, 0.5f, 13);
    return s;
}

// The ball drops into the cup: a rattle of three knocks, then a low plonk.
Sound in_cup() {
    Sound s(0.6f);
    s.tone(0.00f, 0.1f, 500, 440, 0.7f, {0.001f, 30});
    s.tone(0.09f, 0.1f, 620, 560, 0.5f, {0.001f, 35});
    s.tone(0.16f, 0.1f, 560, 500, 0.35f, {0.001f, 40});
    s.tone(0.22f, 0.38f, 170, 120, 0.8f, {0.004f, 10});
    return s;
}

// Well done: a rising arpeggio that lands on a held chord.
Sound fanfare() {
    Sound s(1.3f);
    const float notes[] = {C5, E5, G5};
    for (int i = 0; i < 3; ++i)
        s.tone(0.12f * i, 0.13f, notes[i], notes[i], 0.45f, {0.005f, 6}, Wave::SOFT_SQUARE);
    const float chord[] = {C6, G5, E5};
    for (int i = 0; i < 3; ++i) s.tone(0.36f, 0.94f, chord[i], chord[i], 0.3f, {0.01f, 2.5f}, Wave::TRIANGLE);
    s.tone(0.36f, 0.94f, C5 / 2, C5 / 2, 0.3f, {0.01f, 2.5f});
    return s;
}

// Menu and pause buttons: a tiny click.
Sound click() {
    Sound s(0.05f);
    s.tone(0, 0.05f, 1500, 1300, 0.7f, {0.0005f, 110});
    s.noise(0, 0.02f, 0.25f, {0.0005f, 250}, 0.3f, 0.3f, 98);
    return s;
}

// The iCade switch and the credits: an upward two-note blip.
Sound switch_blip() {
    Sound s(0.25f);
    s.tone(0.00f, 0.09f, 660, 660, 0.6f, {0.003f, 8}, Wave::TRIANGLE);
    s.tone(0.08f, 0.17f, 990, 990, 0.6f, {0.003f, 12}, Wave::TRIANGLE);
    return s;
}

// Spare: a start jingle.
Sound start_jingle() {
    Sound s(1.2f);
    const float notes[] = {G4, C5, E5, G5, C6};
    for (int i = 0; i < 5; ++i)
        s.tone(0.1f * i, 0.12f, notes[i], notes[i], 0.4f, {0.004f, 8}, Wave::TRIANGLE);
    s.tone(0.5f, 0.7f, C6, C6, 0.35f, {0.01f, 3}, Wave::SOFT_SQUARE);
    s.tone(0.5f, 0.7f, E5, E5, 0.25f, {0.01f, 3}, Wave::TRIANGLE);
    return s;
}

// Spare: a whoosh, as of a panel sliding in.
Sound whoosh() {
    Sound s(0.45f);
    s.noise(0, 0.45f, 0.8f, {0.2f, 9}, 0.97f, 0.6f, 95);
    return s;
}

// Spare: a rising power-up sweep.
Sound power_up() {
    Sound s(0.35f);
    s.tone(0, 0.35f, 300, 1200, 0.6f, {0.01f, 3}, Wave::TRIANGLE);
    return s;
}

// Spare: a two-note coin.
Sound coin() {
    Sound s(0.38f);
    s.tone(0.00f, 0.07f, 988, 988, 0.5f, {0.002f, 0}, Wave::SOFT_SQUARE);
    s.tone(0.07f, 0.31f, 1319, 1319, 0.5f, {0.002f, 9}, Wave::SOFT_SQUARE);
    return s;
}

// Spare: a falling "womp", as for a lost ball.
Sound womp() {
    Sound s(0.6f);
    s.tone(0, 0.6f, 400, 150, 0.7f, {0.01f, 4}, Wave::TRIANGLE);
    return s;
}

}  // namespace

std::vector<SoundFile> make_sounds() {
    return {
        {"sfx/001.wav", start_jingle().finish()},  {"sfx/010.wav", stroke().finish()},
        {"sfx/011.wav", ground_bounce().finish()}, {"sfx/012.wav", object_hit().finish()},
        {"sfx/013.wav", wall_bounce().finish()},   {"sfx/014.wav", in_cup().finish()},
        {"sfx/015.wav", fanfare().finish()},       {"sfx/016.wav", power_up().finish()},
        {"sfx/017.wav", coin().finish()},          {"sfx/018.wav", womp().finish()},
        {"sfx/095.wav", whoosh().finish()},        {"sfx/098.wav", click().finish()},
        {"sfx/099.wav", switch_blip().finish()},
    };
}

}  // namespace makedata
