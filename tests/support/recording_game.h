// The game as the game tests watch it: a game that records every text it
// draws and every sound effect it plays (and still draws and plays them),
// which display-list entries of the frame being built each text, each button
// and each overlay drew, and the pointer placed on the window pixel that the
// game reads back as a given logical point at any window scale.
#ifndef MOXEL_TESTS_SUPPORT_RECORDING_GAME_H
#define MOXEL_TESTS_SUPPORT_RECORDING_GAME_H

#include <cmath>
#include <string>
#include <vector>

#include "tests/game/harness.h"

namespace test_support {

// ---- A game that records its texts and sounds ----

// One call of m_Text, its text narrowed to 8 bits.
struct TextCall {
    float x, y;
    std::string text;
    float ax, ay;
};

// One call of m_PlaySFX.
struct SfxCall {
    int n;
    float rate;
    float volume;
    float pan;
};

// The display-list entries of the frame being built, by the call that drew
// them: entries [first, end) of each text, the entry of each button's picture,
// and the first entry of each overlay drawn over the screen.
struct FrameRecord {
    struct TextSpan {
        std::string text;
        int first, end;
    };
    struct Overlay {
        const char* name;
        int first;
    };
    std::vector<TextSpan> texts;
    std::vector<int> buttons;
    std::vector<Overlay> overlays;
};

// Its play can be switched off so the shell's screens are tested on their own.
class RecordingGame : public bb_Moxelpark_MyApp {
  public:
    std::vector<TextCall> texts;
    std::vector<SfxCall> sounds;
    FrameRecord frame;      // forgotten when a frame begins
    bool stubPlay = false;  // play does nothing but start its frame

    int m_CLS2D(float r = OMITTED, float g = OMITTED, float b = OMITTED, float a = OMITTED) override {
        frame = FrameRecord{};
        return bb_Moxelpark_MyApp::m_CLS2D(r, g, b, a);
    }
    int m_Text(float x, float y, String text, float ax, float ay) override {
        std::string narrow;
        for (int i = 0; i < text.Length(); ++i) narrow += static_cast<char>(text[i]);
        texts.push_back({x, y, narrow, ax, ay});
        const int first = Entries();
        const int result = bb_Moxelpark_MyApp::m_Text(x, y, text, ax, ay);
        frame.texts.push_back({narrow, first, Entries()});
        return result;
    }
    int m_Button(int slot, float x, float y, int frameNumber) override {
        const int first = Entries();
        const int result = bb_Moxelpark_MyApp::m_Button(slot, x, y, frameNumber);
        if (Entries() > first) frame.buttons.push_back(first);
        return result;
    }
    int m_PauseMenu() override {
        NoteOverlay("pause panel");
        return bb_Moxelpark_MyApp::m_PauseMenu();
    }
    int m_GameOver() override {
        NoteOverlay("game over");
        return bb_Moxelpark_MyApp::m_GameOver();
    }
    int m_CreditBox() override {
        NoteOverlay("credits box");
        return bb_Moxelpark_MyApp::m_CreditBox();
    }
    int m_BadgesBox() override {
        NoteOverlay("badges box");
        return bb_Moxelpark_MyApp::m_BadgesBox();
    }
    int m_ShowBadges() override {
        NoteOverlay("badge rows");
        return bb_Moxelpark_MyApp::m_ShowBadges();
    }
    int m_PlaySFX(int n, float rate, float volume, float pan) override {
        sounds.push_back({n, rate, volume, pan});
        return bb_Moxelpark_MyApp::m_PlaySFX(n, rate, volume, pan);
    }
    int m_Game() override { return stubPlay ? m_CLS2D() : bb_Moxelpark_MyApp::m_Game(); }
    int m_InGame() override { return stubPlay ? 0 : bb_Moxelpark_MyApp::m_InGame(); }

    // The last recorded text that starts with `prefix`, or null.
    const TextCall* Find(const std::string& prefix) const {
        for (auto c = texts.rbegin(); c != texts.rend(); ++c) {
            if (c->text.compare(0, prefix.size(), prefix) == 0) return &*c;
        }
        return nullptr;
    }
    // Entries of the display list in use.
    int Entries() const { return f_DrawCount / DRAW_ENTRY_FLOATS; }
    // An overlay's entries begin here.
    void NoteOverlay(const char* name) { frame.overlays.push_back({name, Entries()}); }
    // The recorded effects numbered n.
    std::vector<SfxCall> SoundsOf(int n) const {
        std::vector<SfxCall> some;
        for (const SfxCall& c : sounds) {
            if (c.n == n) some.push_back(c);
        }
        return some;
    }
};

// The recording game the last MakeRecordingGame made.
inline RecordingGame*& LastRecordingGame() {
    static RecordingGame* game = nullptr;
    return game;
}

// A game factory for GameHarness: the harness then drives a recording game.
inline void MakeRecordingGame() {
    LastRecordingGame() = new RecordingGame();
    LastRecordingGame()->g_new();
}

// ---- Pointer in logical units ----

// The first window pixel that the game, taking off the logical area's offset
// in the window, dividing by the scale s and truncating, reads as the logical
// coordinate `logical`. Multiplying and truncating instead can land one pixel
// short at a fractional scale.
inline int PixelFor(int logical, float s, float offset = 0.0f) {
    if (!(s > 0.0f)) return logical;
    auto read = [&](int px) { return static_cast<int>((static_cast<float>(px) - offset) / s); };
    int px = static_cast<int>(std::ceil(static_cast<float>(logical) * s + offset));
    while (read(px) < logical) ++px;
    while (px > 0 && read(px - 1) >= logical) --px;
    return px;
}

// Puts the pointer where the game reads the logical point (x, y).
inline void PointAt(game_test::GameHarness& h, int x, int y) {
    h.SetPointer(PixelFor(x, h.game->f_ScaleX, h.game->f_OffsetX),
                 PixelFor(y, h.game->f_ScaleY, h.game->f_OffsetY));
}

}  // namespace test_support

#endif
