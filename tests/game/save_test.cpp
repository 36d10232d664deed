// Saving and loading the state: the 98-field text, its five checksums, the
// sections that load or reset on their own, the pad limits, and texts that no
// game wrote (cut, edited, huge, not UTF-8, empty).
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "harness.h"
#include "shell_fixture.h"

namespace {

using game_test::GameHarness;
using shell_test::JoinFields;
using shell_test::ReadStateFile;
using shell_test::ScopedWorkDir;
using shell_test::SplitFields;
using shell_test::StdoutCapture;
using shell_test::WriteStateFile;

const std::vector<std::string> ALL_LOADED = {"Settings Loaded", "Badges Loaded", "Highscore 0 Loaded",
                                             "Highscore 1 Loaded", "Highscore 2 Loaded"};

// Everything the state carries, copied out of a game object.
struct Saved {
    std::vector<int> settings, scores;
    std::vector<bool> flags;

    static Saved Of(const bb_Moxelpark_MyApp* g) {
        Saved s;
        for (int i = 0; i < SETTINGS_COUNT; ++i) s.settings.push_back(g->f_Settings[i]);
        for (int i = 0; i < HIGHSCORE_COUNT; ++i) s.scores.push_back(g->f_HighScores[i]);
        for (int i = 0; i < BADGE_FLAGS; ++i) s.flags.push_back(g->f_BadgeFlags[i]);
        return s;
    }
};

// Fills a game with values that exercise every field: negatives, the int
// limits, badge words with bit 31 set.
void FillWithEveryKindOfValue(bb_Moxelpark_MyApp* g) {
    for (int i = 0; i < SETTINGS_COUNT; ++i) g->f_Settings[i] = (i % 2 == 0 ? 1 : -1) * (i * 1000003 + 7);
    g->f_Settings[0] = INT_MIN;
    g->f_Settings[1] = INT_MAX;
    g->f_Settings[SETTING_PAD_X] = 300;
    g->f_Settings[SETTING_PAD_Y] = 64;
    g->f_Settings[SETTING_PAD_SIZE] = 8;
    for (int i = 0; i < BADGE_FLAGS; ++i) g->f_BadgeFlags[i] = (i * 7 + i / 3) % 5 < 2;
    for (int k = 0; k < BADGE_FLAGS / 32; ++k) g->f_BadgeFlags[32 * k + 31] = true;
    for (int i = 0; i < HIGHSCORE_COUNT; ++i) g->f_HighScores[i] = (i % 3 == 0 ? -1 : 1) * i * 123457;
    g->f_HighScores[7] = INT_MAX;
    g->f_HighScores[45] = INT_MIN;
}

// Creates a game in the current directory and returns its stdout lines of
// the create event (which loads the state).
std::vector<std::string> CreateAndLoad(GameHarness& h) {
    StdoutCapture out;
    h.Create();
    return out.Lines();
}

TEST(SaveLoad, EveryValueRoundTripsAndSavingAgainWritesTheSameText) {
    ScopedWorkDir dir;
    Saved before;
    std::string text;
    {
        GameHarness h;
        CreateAndLoad(h);
        FillWithEveryKindOfValue(h.game);
        before = Saved::Of(h.game);
        h.game->m_Save();
        text = ReadStateFile();
    }
    std::vector<std::string> fields = SplitFields(text);
    ASSERT_EQ(fields.size(), 98u);
    EXPECT_EQ(text.back(), '|');
    // Word 0 has bit 31 set: it is written as a negative number.
    EXPECT_EQ(fields[26].front(), '-');

    GameHarness h;
    EXPECT_EQ(CreateAndLoad(h), ALL_LOADED);
    Saved after = Saved::Of(h.game);
    EXPECT_EQ(after.settings, before.settings);
    EXPECT_EQ(after.flags, before.flags);
    EXPECT_EQ(after.scores, before.scores);
    h.game->m_Save();
    EXPECT_EQ(ReadStateFile(), text);
}

TEST(SaveLoad, DefaultSettingsHaveChecksumFiveAndTheWholeTextIsAsExpected) {
    ScopedWorkDir dir;
    GameHarness h;
    // A first run reads no file: nothing is printed and the pad limits apply.
    EXPECT_TRUE(CreateAndLoad(h).empty());
    EXPECT_EQ(h.game->f_Settings[SETTING_PAD_X], 64);
    EXPECT_EQ(h.game->f_Settings[SETTING_PAD_Y], 64);
    EXPECT_EQ(h.game->f_Settings[SETTING_PAD_SIZE], 10);

    for (int i = 0; i < SETTINGS_COUNT; ++i) h.game->f_Settings[i] = 0;
    h.game->f_Settings[SETTING_SOUND] = 1;
    h.game->m_Save();
    std::vector<std::string> expected(98, "0");
    expected[5] = "1";
    expected[25] = "5";
    EXPECT_EQ(ReadStateFile(), JoinFields(expected));
}

TEST(SaveLoad, BadgeWordsWithBit31AreNegativeAndTheirSumWraps) {
    ScopedWorkDir dir;
    {
        GameHarness h;
        CreateAndLoad(h);
        h.game->f_BadgeFlags[31] = true;   // word 0: bit 31 alone
        h.game->f_BadgeFlags[255] = true;  // word 7: bit 31 alone
        h.game->f_BadgeFlags[32] = true;   // word 1: bit 0
        h.game->m_Save();
        std::vector<std::string> fields = SplitFields(ReadStateFile());
        EXPECT_EQ(fields[26], "-2147483648");
        EXPECT_EQ(fields[27], "1");
        EXPECT_EQ(fields[33], "-2147483648");
        // Two times -2^31 wraps to 0 in 32 bits.
        EXPECT_EQ(fields[34], "1");
    }
    GameHarness h;
    EXPECT_EQ(CreateAndLoad(h), ALL_LOADED);
    for (int i = 0; i < BADGE_FLAGS; ++i)
        EXPECT_EQ(h.game->f_BadgeFlags[i], i == 31 || i == 32 || i == 255) << i;
}

// Writes a full state of known scores, then loads an edited copy of its text.
class EditedState : public testing::Test {
  protected:
    void SetUp() override {
        GameHarness h;
        CreateAndLoad(h);
        h.game->f_Settings[SETTING_SOUND] = 0;
        h.game->f_Settings[3] = 77;
        h.game->f_BadgeFlags[0] = true;
        for (int i = 0; i < HIGHSCORE_COUNT; ++i) h.game->f_HighScores[i] = 1000 + i;
        h.game->m_Save();
        fields = SplitFields(ReadStateFile());
    }
    // Loads the text of `edited` into a fresh game; returns its stdout lines.
    std::vector<std::string> Load(const std::string& edited) {
        WriteStateFile(edited);
        // The old harness goes first: a harness installs its window for the process.
        loaded.reset();
        loaded = std::make_unique<GameHarness>();
        return CreateAndLoad(*loaded);
    }
    bb_Moxelpark_MyApp* game() { return loaded->game; }

    ScopedWorkDir dir;
    std::vector<std::string> fields;
    std::unique_ptr<GameHarness> loaded;
};

TEST_F(EditedState, ATextCutAfterField60LoadsTypeOneAndSkipsTheRestSilently) {
    std::vector<std::string> cut(fields.begin(), fields.begin() + 61);
    EXPECT_EQ(Load(JoinFields(cut)),
              (std::vector<std::string>{"Settings Loaded", "Badges Loaded", "Highscore 0 Loaded"}));
    EXPECT_EQ(game()->f_Settings[3], 77);
    EXPECT_TRUE(game()->f_BadgeFlags[0]);
    for (int j = 0; j < TABLE_LENGTH; ++j) {
        EXPECT_EQ(game()->f_HighScores[j], 1000 + j);
        EXPECT_EQ(game()->f_HighScores[30 + j], 1030 + j);
        // Types 2 and 3 keep the defaults.
        EXPECT_EQ(game()->f_HighScores[10 + j], 0);
        EXPECT_EQ(game()->f_HighScores[50 + j], 0);
    }
}

TEST_F(EditedState, OneChangedDigitInTypeTwoClearsOnlyTypeTwo) {
    // Field 58 is top[1] of type 2 (1011); make it 1012.
    ASSERT_EQ(fields[58], "1011");
    fields[58] = "1012";
    EXPECT_EQ(Load(JoinFields(fields)),
              (std::vector<std::string>{"Settings Loaded", "Badges Loaded", "Highscore 0 Loaded",
                                        "Highscore 1 Checksum Invalid", "Highscore 2 Loaded"}));
    for (int j = 0; j < TABLE_LENGTH; ++j) {
        EXPECT_EQ(game()->f_HighScores[10 + j], 0);
        EXPECT_EQ(game()->f_HighScores[40 + j], 0);
        EXPECT_EQ(game()->f_HighScores[j], 1000 + j);
        EXPECT_EQ(game()->f_HighScores[20 + j], 1020 + j);
        EXPECT_EQ(game()->f_HighScores[50 + j], 1050 + j);
    }
}

TEST_F(EditedState, BadSettingsOrBadgeChecksumsResetOnlyTheirSection) {
    fields[25] = "1";
    fields[34] = "2";
    EXPECT_EQ(Load(JoinFields(fields)),
              (std::vector<std::string>{"Settings Checksum Invalid", "Badge Checksum Invalid",
                                        "Highscore 0 Loaded", "Highscore 1 Loaded", "Highscore 2 Loaded"}));
    EXPECT_EQ(game()->f_Settings[3], 0);
    EXPECT_EQ(game()->f_Settings[SETTING_SOUND], 1);
    EXPECT_EQ(game()->f_Settings[SETTING_PAD_SIZE], 10);
    EXPECT_FALSE(game()->f_BadgeFlags[0]);
    EXPECT_EQ(game()->f_HighScores[59], 1059);
}

TEST_F(EditedState, PadLimitsKeepEightAndNineButTurnSevenIntoTen) {
    struct Case {
        int x, y, size;
        int wantX, wantY, wantSize;
    } cases[] = {
        {63, 64, 8, 64, 64, 8}, {-5, 200, 9, 64, 200, 9}, {64, 63, 7, 64, 64, 10}, {500, 0, -3, 500, 64, 10}};
    for (const Case& c : cases) {
        fields[SETTING_PAD_X] = std::to_string(c.x);
        fields[SETTING_PAD_Y] = std::to_string(c.y);
        fields[SETTING_PAD_SIZE] = std::to_string(c.size);
        fields[25] = std::to_string(10 * c.x + 11 * c.y + 12 * c.size + 3 * 77);
        EXPECT_EQ(Load(JoinFields(fields)).front(), "Settings Loaded");
        EXPECT_EQ(game()->f_Settings[SETTING_PAD_X], c.wantX) << c.x;
        EXPECT_EQ(game()->f_Settings[SETTING_PAD_Y], c.wantY) << c.y;
        EXPECT_EQ(game()->f_Settings[SETTING_PAD_SIZE], c.wantSize) << c.size;
    }
}

TEST_F(EditedState, FieldsAreReadAsAtoiReadsThemAndSaturateOutOfRange) {
    // Field 0 has weight 0 in the settings checksum, so any text there loads.
    struct Case {
        std::string text;
        int value;
    } cases[] = {
        {" \t\n+12abc", 12},
        {"-7-3", -7},
        {"x5", 0},
        {"", 0},
        {"- 5", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        // Out of range: saturated.
        {"2147483648", INT_MAX},
        {"-2147483649", INT_MIN},
        {std::string(10000, '9'), INT_MAX},
        {"-" + std::string(10000, '7'), INT_MIN},
        {"000000000000000000000000042", 42},
        // U+0131 narrows to the byte 0x31, the digit 1.
        {"\xC4\xB1"
         "3",
         13},
    };
    for (const Case& c : cases) {
        fields[0] = c.text;
        EXPECT_EQ(Load(JoinFields(fields)), ALL_LOADED) << c.text.substr(0, 20);
        EXPECT_EQ(game()->f_Settings[0], c.value) << c.text.substr(0, 20);
    }
}

TEST_F(EditedState, ANumberTooLongForIntInAChecksumFieldFailsThatSectionOnly) {
    fields[34] = std::string(10000, '1');
    std::vector<std::string> lines = Load(JoinFields(fields));
    EXPECT_EQ(lines[1], "Badge Checksum Invalid");
    EXPECT_EQ(lines[4], "Highscore 2 Loaded");
}

TEST(SaveLoad, HostileTextsLoadToDefinedValuesWithOnlyTheGameMessages) {
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> lines;
        int sound;
    } cases[] = {
        {"empty file", "", {}, 1},
        // Every field is empty and reads 0; every checksum of zeros holds.
        {"a megabyte of |", std::string(1 << 20, '|'), ALL_LOADED, 0},
        {"a single field of digits", std::string(10000, '5'), {}, 1},
        // Not UTF-8: read byte by byte; the only field is garbage.
        {"not UTF-8", "\xFF\xC3|\x80\xE9\xFE", {"Invalid UTF-8!"}, 1},
        {"not UTF-8, 30 fields",
         "\xE9|" + std::string(24, '|') +
             "\xFF"
             "0|\xC3\xC3" +
             std::string(10, '|'),
         {"Invalid UTF-8!", "Settings Loaded", "Badges Loaded"},
         0},
    };
    for (const Case& c : cases) {
        ScopedWorkDir dir;
        WriteStateFile(c.bytes);
        GameHarness h;
        EXPECT_EQ(CreateAndLoad(h), c.lines) << c.what;
        EXPECT_EQ(h.game->f_Settings[SETTING_SOUND], c.sound) << c.what;
        EXPECT_EQ(h.game->f_Settings[SETTING_PAD_SIZE], 10) << c.what;
        for (int i = 0; i < HIGHSCORE_COUNT; ++i) EXPECT_EQ(h.game->f_HighScores[i], 0) << c.what;
    }
}

}  // namespace
