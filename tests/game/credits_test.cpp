// The credits box: its six centred lines, and closing by a fresh press (used
// up) or by the back action (silently).
#include <string>
#include <vector>

#include "harness.h"
#include "shell_fixture.h"

namespace {

using shell_test::ShellFixture;

constexpr float CREDITS_BUTTON_X = 570, CREDITS_BUTTON_Y = 440;

TEST(Credits, SixCentredLinesAtTheirPlaces) {
    ShellFixture f;
    f.game->f_ShowCredits = 1;
    f.Update();
    struct Line {
        const char* text;
        float y;
    } lines[] = {{"A Game By", 115.2f},
                 {"The Moxelpark Team", 135.2f},
                 {"moxelpark.example", 155.2f},
                 {"Created using", 195.2f},
                 {"Vendle", 215.2f},
                 {"vendle.example", 235.2f}};
    // The score lists are hidden: the six lines are all the text.
    ASSERT_EQ(f.game->texts.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        const auto& call = f.game->texts[i];
        EXPECT_EQ(call.text, lines[i].text);
        EXPECT_FLOAT_EQ(call.x, 320);
        EXPECT_NEAR(call.y, lines[i].y, 1e-4) << lines[i].text;
        EXPECT_FLOAT_EQ(call.ax, 1);
        EXPECT_FLOAT_EQ(call.ay, 0);
    }
    // The glyphs: the first line's centres sit half a line (15 / 2) below its
    // top, and its first and last glyph are symmetric about x = 320.
    auto glyphs = f.h.EntriesOf(SLOT_FONT);
    ASSERT_GE(glyphs.size(), 7u);  // the two spaces draw nothing
    EXPECT_NEAR(glyphs[0].y, 115.2f + 7.5f, 1e-4);
    EXPECT_FLOAT_EQ(glyphs[0].frame, 'A' - 32);
    EXPECT_FLOAT_EQ(glyphs[6].frame, 'y' - 32);
    EXPECT_NEAR((glyphs[0].x + glyphs[6].x) / 2, 320, 1e-4);
    // Frame and panel.
    auto rects = f.h.EntriesOf(DRAW_KIND_RECT);
    ASSERT_GE(rects.size(), 2u);
    const auto& frame = rects[rects.size() - 2];
    const auto& panel = rects[rects.size() - 1];
    EXPECT_FLOAT_EQ(frame.x, 64);
    EXPECT_FLOAT_EQ(frame.y, 96);
    EXPECT_FLOAT_EQ(frame.w, 512);
    EXPECT_FLOAT_EQ(frame.h, 288);
    EXPECT_FLOAT_EQ(panel.x, 76.8f);
    EXPECT_FLOAT_EQ(panel.h, 268.8f);
}

TEST(Credits, ThePressThatOpensDoesNotCloseTheNextOneDoesAndIsUsedUp) {
    ShellFixture f;
    f.Press(CREDITS_BUTTON_X, CREDITS_BUTTON_Y);
    EXPECT_EQ(f.game->f_ShowCredits, 1);
    f.Update(5);
    EXPECT_EQ(f.game->f_ShowCredits, 1);
    f.Release();
    int channel = f.game->f_SfxChannel;
    f.Press(10, 10);
    EXPECT_EQ(f.game->f_ShowCredits, 0);
    EXPECT_EQ(f.game->f_PointerUsed, 1);
    EXPECT_EQ(f.game->f_SfxChannel, (channel + 1) % 24) << "closing clicks";
    // Reopen; close with the back action: no sound.
    f.Release();
    f.Click(CREDITS_BUTTON_X, CREDITS_BUTTON_Y);
    ASSERT_EQ(f.game->f_ShowCredits, 1);
    channel = f.game->f_SfxChannel;
    f.Hold(KEY_ESCAPE);
    EXPECT_EQ(f.game->f_ShowCredits, 0);
    EXPECT_EQ(f.game->f_SfxChannel, channel);
}

}  // namespace
