// The title menu: slide-in, score lists sized to the screen, the one-press
// latch of its buttons, game-type selection by keys and buttons in both
// layouts, and the boxes over it that leave only the sound switch working.
#include <algorithm>
#include <string>
#include <vector>

#include "harness.h"
#include "shell_fixture.h"
#include "tests/support/layout_boxes.h"

namespace {

using shell_test::ShellFixture;

// Places at rest on a 640 by 480 screen.
constexpr float SOUND_X = 320, SOUND_Y = 32;
constexpr float ICADE_X = 602, ICADE_Y = 38;
constexpr float CREDITS_X = 570, CREDITS_Y = 440;
constexpr float TYPE_Y = 336;
constexpr float TYPE_X[] = {128, 256, 384};
constexpr float PAUSE_BUTTON_X = 16, PAUSE_BUTTON_Y = 16;

std::string Padded(int value) {
    std::string s = std::to_string(value);
    return std::string(8 - s.size(), ' ') + s;
}

// The panel rectangle of the score lists: 140 wide, alpha 0.4.
float PanelX(const game_test::GameHarness& h) {
    for (const auto& e : h.EntriesOf(DRAW_KIND_RECT)) {
        if (e.w == 140.0f && e.alpha == 0.4f) return e.x;
    }
    return -1.0f;
}

TEST(Menu, SlidesInOverThirtyTwoUpdates) {
    ShellFixture f(640, 480, false);
    f.Update();
    EXPECT_EQ(f.game->f_MenuSlide, -31);
    EXPECT_FLOAT_EQ(PanelX(f.h), 500 + 124);
    f.Update(30);
    EXPECT_EQ(f.game->f_MenuSlide, -1);
    f.Update();
    EXPECT_EQ(f.game->f_MenuSlide, 0);
    EXPECT_FLOAT_EQ(PanelX(f.h), 500);
    f.Update();
    EXPECT_EQ(f.game->f_MenuSlide, 0);
    EXPECT_FLOAT_EQ(f.game->f_PanelWidth, 140.0f);
}

TEST(Menu, ListsShowAsManyRowsAsFitInHalfTheScreen) {
    // rows = (h / 2 - 90) / 15, kept within 1 to 10.
    struct Case {
        int height;
        int rows;
    } cases[] = {{480, 10}, {360, 6}, {300, 4}, {240, 2}, {239, 1}, {200, 1}};
    for (const Case& c : cases) {
        ShellFixture f(640, c.height);
        // No window holds the menu flatter than 21:9 (a logical height of
        // 274); the lists still follow the logical height they are given.
        if (c.height < 274) bb_Moxelpark_jscrh = static_cast<float>(c.height);
        ASSERT_FLOAT_EQ(bb_Moxelpark_jscrh, static_cast<float>(c.height));
        for (int i = 0; i < TABLE_LENGTH; ++i) {
            f.game->f_HighScores[10 + i] = 1000 - i;  // type 2, the default
            f.game->f_HighScores[40 + i] = i * 7;
        }
        f.Update();
        std::string top = c.rows == 1 ? "Highscore" : "Top " + std::to_string(c.rows);
        std::string last = c.rows == 1 ? "Last" : "Last " + std::to_string(c.rows);
        for (int i = 0; i < c.rows; ++i) {
            top += "\\n" + Padded(1000 - i);
            last += "\\n" + Padded(i * 7);
        }
        ASSERT_EQ(f.game->texts.size(), 2u) << c.height;
        EXPECT_EQ(f.game->texts[0].text, top) << c.height;
        EXPECT_FLOAT_EQ(f.game->texts[0].x, 520);
        EXPECT_FLOAT_EQ(f.game->texts[0].y, 60);
        EXPECT_EQ(f.game->texts[1].text, last) << c.height;
        EXPECT_FLOAT_EQ(f.game->texts[1].y, c.height / 2.0f);
    }
}

TEST(Menu, HoldingTheSoundButtonTogglesOnce) {
    ShellFixture f;
    ASSERT_EQ(f.game->f_Settings[SETTING_SOUND], 1);
    f.Press(SOUND_X, SOUND_Y);
    f.Update(10);
    EXPECT_EQ(f.game->f_Settings[SETTING_SOUND], 0);
    // The button shows the setting: frame 5 off.
    bool off = false;
    for (const auto& e : f.h.EntriesOf(SLOT_ICONS)) off = off || (e.frame == 5 && e.x == SOUND_X);
    EXPECT_TRUE(off);
    f.Release();
    f.Click(SOUND_X, SOUND_Y);
    EXPECT_EQ(f.game->f_Settings[SETTING_SOUND], 1);
    // A value outside 0 to 1 becomes 0.
    f.game->f_Settings[SETTING_SOUND] = 3;
    f.Click(SOUND_X, SOUND_Y);
    EXPECT_EQ(f.game->f_Settings[SETTING_SOUND], 0);
}

TEST(Menu, KeysMoveTheSelectionWithinOneToThreeOncePerPress) {
    ShellFixture f;
    ASSERT_EQ(f.game->f_GameType, 2);
    struct Step {
        int key;
        int type;
    } steps[] = {{KEY_UP, 1},   {KEY_LEFT, 1},  {KEY_DOWN, 2}, {KEY_RIGHT, 3},
                 {KEY_DOWN, 3}, {KEY_RIGHT, 3}, {KEY_LEFT, 2}, {KEY_UP, 1}};
    for (const Step& s : steps) {
        f.Hold(s.key);
        f.Update(5);  // held: no repeat
        EXPECT_EQ(f.game->f_GameType, s.type) << s.key;
        f.Let(s.key);
    }
    EXPECT_EQ(f.game->f_GameMode, MODE_MENU);
}

TEST(Menu, AnActionKeyStartsTheSelectedType) {
    for (int key : {KEY_ENTER, KEY_SPACE}) {
        ShellFixture f;
        f.game->stubPlay = true;
        f.Hold(KEY_DOWN);
        f.Let(KEY_DOWN);
        f.Hold(key);
        EXPECT_EQ(f.game->f_GameMode, MODE_PLAY_LOAD);
        EXPECT_EQ(f.game->f_GameType, 3);
        EXPECT_EQ(f.game->f_KeyUsed, 1);
    }
}

TEST(Menu, TypeButtonsStartTheirTypeAndMarkTheSelection) {
    for (int t = 1; t <= GAME_TYPES; ++t) {
        ShellFixture f;
        f.game->stubPlay = true;
        // The mark (frame 15) sits over the selected type's button.
        auto marks = f.h.EntriesOf(SLOT_BUTTONS);
        int markCount = 0;
        for (const auto& e : marks) {
            if (e.frame != 15) continue;
            ++markCount;
            EXPECT_FLOAT_EQ(e.x, TYPE_X[1]);
            EXPECT_FLOAT_EQ(e.alpha, 0.75f);
        }
        EXPECT_EQ(markCount, 1);
        f.Press(TYPE_X[t - 1], TYPE_Y);
        EXPECT_EQ(f.game->f_GameMode, MODE_PLAY_LOAD) << t;
        EXPECT_EQ(f.game->f_GameType, t);
        EXPECT_EQ(f.game->f_PointerUsed, 1);
    }
}

TEST(Menu, AnInstantClickStartsAGameAndThenOpensThePausePanel) {
    ShellFixture f;
    f.InstantClick(TYPE_X[2], TYPE_Y);
    EXPECT_EQ(f.game->f_GameMode, MODE_PLAY_LOAD);
    EXPECT_EQ(f.game->f_GameType, 3);
    f.Update(2);
    ASSERT_EQ(f.game->f_GameMode, MODE_PLAY);
    f.InstantClick(PAUSE_BUTTON_X, PAUSE_BUTTON_Y);
    EXPECT_EQ(f.game->f_Paused, 1);
}

TEST(Menu, TypeButtonsFollowTheLayoutAndTheSlide) {
    struct Case {
        int width, height;
        int slide;
        float x[3], y[3];
    } cases[] = {
        {640, 480, 0, {128, 256, 384}, {336, 336, 336}},
        {640, 480, -31, {128, 256, 384}, {336 + 248, 336 + 372, 336 + 310}},
        // 600 by 640 pixels is a logical 450 by 480, portrait.
        {600, 640, 0, {135, 135, 135}, {216, 312, 408}},
        {600, 640, -31, {135 + 248, 135, 135 - 248}, {216, 312 + 372, 408}},
    };
    for (const Case& c : cases) {
        ShellFixture f(c.width, c.height, false);
        f.Update(c.slide - MENU_SLIDE_START);
        ASSERT_EQ(f.game->f_MenuSlide, c.slide);
        std::vector<game_test::DrawEntry> buttons;
        for (const auto& e : f.h.EntriesOf(SLOT_BUTTONS)) {
            if (e.frame != 15) buttons.push_back(e);
        }
        ASSERT_EQ(buttons.size(), 3u);
        for (int t = 0; t < 3; ++t) {
            EXPECT_FLOAT_EQ(buttons[t].frame, t);
            EXPECT_NEAR(buttons[t].x, c.x[t], 1e-3) << c.width << " " << c.slide << " " << t;
            EXPECT_NEAR(buttons[t].y, c.y[t], 1e-3) << c.width << " " << c.slide << " " << t;
            EXPECT_FLOAT_EQ(buttons[t].w, 1.5f);
        }
    }
}

TEST(Menu, TheICadeButtonSwitchesCabinetInputOnAndOff) {
    ShellFixture f;
    f.Click(ICADE_X, ICADE_Y);
    EXPECT_EQ(bb_Moxelpark_iCadeControls, 1);
    f.Click(ICADE_X, ICADE_Y);
    EXPECT_EQ(bb_Moxelpark_iCadeControls, 0);
}

TEST(Menu, WhileABoxIsOpenOnlyTheSoundButtonActs) {
    ShellFixture f;
    f.game->stubPlay = true;
    // The badges box stays open under presses, so every button can be tried.
    f.game->f_ShowBadges = 1;
    f.Update();
    EXPECT_TRUE(f.game->texts.empty()) << "the score lists are hidden";
    for (float x : TYPE_X) f.Click(x, TYPE_Y);
    f.Click(ICADE_X, ICADE_Y);
    f.Click(CREDITS_X, CREDITS_Y);
    for (int key : {KEY_UP, KEY_DOWN, KEY_ENTER}) {
        f.Hold(key);
        f.Let(key);
    }
    EXPECT_EQ(f.game->f_GameMode, MODE_MENU);
    EXPECT_EQ(f.game->f_GameType, 2);
    EXPECT_EQ(bb_Moxelpark_iCadeControls, 0);
    EXPECT_EQ(f.game->f_ShowCredits, 0);
    f.Click(SOUND_X, SOUND_Y);
    EXPECT_EQ(f.game->f_Settings[SETTING_SOUND], 0);
    // The back action closes it.
    f.Hold(KEY_ESCAPE);
    EXPECT_EQ(f.game->f_ShowBadges, 0);
}

TEST(Menu, APressOnATypeButtonWhileTheCreditsAreOpenOnlyClosesThem) {
    ShellFixture f;
    f.game->stubPlay = true;
    f.Click(CREDITS_X, CREDITS_Y);
    ASSERT_EQ(f.game->f_ShowCredits, 1);
    f.Press(TYPE_X[0], TYPE_Y);
    f.Update(3);
    EXPECT_EQ(f.game->f_ShowCredits, 0);
    EXPECT_EQ(f.game->f_GameMode, MODE_MENU);
    EXPECT_EQ(f.game->f_GameType, 2);
}

TEST(Menu, TheCreditsLogoLeavesEveryRowOfTheLastListReadable) {
    const struct { int width, height; } shapes[] = {{640, 480}, {1280, 720}, {480, 640}};
    for (const auto& shape : shapes) {
        SCOPED_TRACE(testing::Message() << shape.width << "x" << shape.height);
        ShellFixture f(shape.width, shape.height);
        for (int i = LAST_TEN_BASE; i < HIGHSCORE_COUNT; ++i) f.game->f_HighScores[i] = 88888888;
        f.Update();
        const test_support::InkAtlas atlas(*f.game);
        ASSERT_TRUE(atlas.Loaded());
        const auto items = test_support::LayoutItems(*f.game, atlas);
        const test_support::LayoutItem* logo = nullptr;
        for (const auto& item : items) {
            if (item.what == "button of slot 93 frame 0") logo = &item;
        }
        ASSERT_NE(logo, nullptr);
        // Every row of the list shows its eight digits, none of them touched by the logo's ink.
        const int rows = std::min(10, (static_cast<int>(bb_Moxelpark_jscrh / 2.0f) - 90) / 15);
        int digitRows = 0;
        for (const auto& item : items) {
            if (item.text.compare(0, 4, "Last") != 0 || item.line == 1) continue;
            ++digitRows;
            EXPECT_EQ(item.pieces.size(), 8u) << item.what;
            EXPECT_EQ(test_support::SharedInk(item, *logo, atlas, f.game->f_ImageScale), 0.0f) << item.what;
        }
        EXPECT_EQ(digitRows, rows);
    }
}

}  // namespace
