// Start-up and assets: create defaults, the 25 loader steps behind the wait
// screen, the resolution variants, suspend and resume, and the sound-effect
// player's rotating channels.
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "harness.h"
#include "shell_fixture.h"

namespace {

using game_test::GameHarness;

// A game that records what the loader asks for, then loads it as usual.
class LoadRecordingGame : public bb_Moxelpark_MyApp {
  public:
    std::vector<std::pair<int, std::string>> loads;  // slot (images) or -n (sounds), name
    int saves = 0;
    int iCadeOffs = 0;

    int m_LoadImg(int slot, String name, int fw, int fh, int count, int flags) override {
        loads.push_back({slot, name.ToCString<char>()});
        EXPECT_EQ(flags, IMAGE_FLAG_CENTRE);
        return bb_Moxelpark_MyApp::m_LoadImg(slot, name, fw, fh, count, flags);
    }
    int m_LoadFont(int slot, String name, int advance, int lineHeight) override {
        loads.push_back({slot, name.ToCString<char>()});
        return bb_Moxelpark_MyApp::m_LoadFont(slot, name, advance, lineHeight);
    }
    int m_LoadSFX(int n) override {
        loads.push_back({-n, "sfx"});
        return bb_Moxelpark_MyApp::m_LoadSFX(n);
    }
    int m_Save() override { return ++saves; }
    int m_iCade(int on) override {
        if (on == 0) ++iCadeOffs;
        return 0;
    }
};

LoadRecordingGame* loading = nullptr;
void MakeLoadRecordingGame() {
    loading = new LoadRecordingGame();
    loading->g_new();
}

TEST(Loader, CreateSetsTheDefaults) {
    GameHarness h;
    h.Create();
    bb_Moxelpark_MyApp* g = h.game;
    EXPECT_EQ(g->f_GameMode, MODE_MENU);
    EXPECT_EQ(h.host->updateRate, UPDATE_RATE);
    EXPECT_EQ(g->f_DeviceWidth, 640);
    EXPECT_EQ(g->f_DeviceHeight, 480);
    EXPECT_EQ(g->f_GameType, 2);
    EXPECT_EQ(g->f_MenuSlide, -32);
    EXPECT_EQ(g->f_Paused, 0);
    EXPECT_EQ(g->f_PauseSlide, -1);
    EXPECT_EQ(g->f_PauseY, -64);
    EXPECT_EQ(g->f_Settings[SETTING_SOUND], 1);
    EXPECT_EQ(g->f_LoadStep, 1);
    EXPECT_FLOAT_EQ(g->f_ClsAlpha, 1.0f);
    for (int i = 0; i < CHANNEL_MAP_SIZE; ++i) EXPECT_EQ(g->f_ChannelMap[i], i);
    // The arrays have their sizes.
    EXPECT_EQ(g->f_DrawList.Length(), DRAW_LIST_FLOATS);
    EXPECT_EQ(g->f_Images.Length(), IMAGE_SLOTS);
    EXPECT_EQ(g->f_ImageInfo.Length(), 300);
    EXPECT_EQ(g->f_Objects.Length(), OBJECT_FLOATS);
    EXPECT_EQ(g->f_BadgeFlags.Length(), BADGE_FLAGS);
    EXPECT_EQ(g->f_HighScores.Length(), HIGHSCORE_COUNT);
}

TEST(Loader, TwentyFiveStepsLoadEveryAssetInOrderBehindTheWaitScreen) {
    GameHarness h(640, 480, MakeLoadRecordingGame);
    h.Create();
    // Before the loader, m_Reload has loaded the logo for the wait screen.
    ASSERT_EQ(loading->loads.size(), 1u);
    EXPECT_EQ(loading->loads[0], (std::pair<int, std::string>{SLOT_AUTHOR, "common/WexoLogo"}));
    loading->loads.clear();
    h.Render();

    int waitScreens = 0;
    while (h.game->f_LoadStep != 0 && waitScreens < 100) {
        h.Update();
        ++waitScreens;
        // Every update of loading shows the wait screen: background, two rings, disc, band, logo.
        EXPECT_FLOAT_EQ(h.game->f_ClsRed, 40.0f);
        EXPECT_EQ(h.EntryCount(), 25);
    }
    EXPECT_EQ(waitScreens, LOADER_STEPS);

    std::vector<std::pair<int, std::string>> expected = {
        {97, "common/icons"},
        {95, "common/Buttons"},
        {94, "common/dpad"},
        {92, "common/icade"},
        {93, "common/WexoLogo"},
        {90, "fonts/editundo"},
        {-1, "sfx"},
        {-95, "sfx"},
        {-98, "sfx"},
        {-99, "sfx"},
        {99, "menu"},
        {98, "logo"},
        {96, "parts"},
        {80, "BadgesA"},
        {1, "gfx"},
    };
    for (int n = 10; n <= 18; ++n) expected.push_back({-n, "sfx"});
    EXPECT_EQ(loading->loads, expected);

    // Frame sizes of the loaded files, and the font's own metrics.
    EXPECT_EQ(h.game->f_ImageInfo[99 * 3 + 0], 256);
    EXPECT_EQ(h.game->f_ImageInfo[98 * 3 + 1], 128);
    EXPECT_EQ(h.game->f_ImageInfo[80 * 3 + 2], 64);
    EXPECT_EQ(h.game->f_ImageInfo[90 * 3 + 0], FONT_ADVANCE);
    EXPECT_EQ(h.game->f_ImageInfo[90 * 3 + 1], FONT_LINE_HEIGHT);
    EXPECT_EQ(h.game->f_ImageInfo[90 * 3 + 2], FONT_GLYPHS);
    EXPECT_EQ(h.game->f_FontSlot, SLOT_FONT);
    // The generated sounds were found.
    for (int n : {1, 10, 14, 18, 95, 98, 99}) EXPECT_NE(h.game->f_Sounds[n], nullptr) << n;
}

TEST(Loader, WaitScreenDrawsTwoRingsADiscABandAndTheLogo) {
    GameHarness h;
    h.Create();
    h.Render();
    h.game->f_Spin = 0;
    h.game->m_WaitStart(1);
    auto e = h.Entries();
    ASSERT_EQ(e.size(), 25u);
    EXPECT_EQ(h.game->f_Spin, 16);
    EXPECT_EQ(h.game->f_WaitSide, 480);
    // Back ring: light dots, growing alpha; dot 0 at spin + 180 degrees (below the centre).
    for (int n = 0; n < 11; ++n) {
        EXPECT_TRUE(e[n].IsOval());
        EXPECT_FLOAT_EQ(e[n].r, 250.0f);
        EXPECT_FLOAT_EQ(e[n].alpha, n / 10.0f);
        EXPECT_FLOAT_EQ(e[n].w, 8.0f);
    }
    float a = (16 + 180) * DEG_TO_RAD;
    EXPECT_NEAR(e[0].x, 320 + std::sin(a) * 120, 1e-3);
    EXPECT_NEAR(e[0].y, 240 - std::cos(a) * 120, 1e-3);
    // Disc, band, logo.
    EXPECT_TRUE(e[11].IsOval());
    EXPECT_FLOAT_EQ(e[11].w, 144.0f);
    EXPECT_FLOAT_EQ(e[11].b, 0.0f);
    EXPECT_TRUE(e[12].IsRect());
    EXPECT_FLOAT_EQ(e[12].y, 192.0f);
    EXPECT_FLOAT_EQ(e[12].h, 96.0f);
    EXPECT_TRUE(e[13].IsImage(SLOT_AUTHOR));
    EXPECT_FLOAT_EQ(e[13].y, 480 * 0.48f);
    EXPECT_FLOAT_EQ(e[13].alpha, 1.0f);
    // Front ring: dark dots half a turn ahead of the back ring.
    for (int n = 14; n < 25; ++n) EXPECT_FLOAT_EQ(e[n].r, 50.0f);
    EXPECT_NEAR(e[14].y, 240 - std::cos(16 * DEG_TO_RAD) * 120, 1e-3);

    // Without the spinner: no rings.
    h.game->m_WaitStart(0);
    EXPECT_EQ(h.EntryCount(), 3);
}

TEST(Loader, ProgramShowsTheWaitScreenThenTheMenuWithoutOutput) {
    shell_test::ScopedWorkDir dir;  // no state file left by an earlier test of this process
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    GameHarness h;
    int updates = h.StartAndLoad();
    h.Update();
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(updates, 25);
    EXPECT_EQ(h.game->f_GameMode, MODE_MENU);
    EXPECT_EQ(h.game->f_LoadStep, 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
}

TEST(Loader, ResolutionFollowsTheWindowSize) {
    struct Case {
        int w, h, hires;
        float scale;
    } cases[] = {
        {640, 480, 1, 1.0f}, {630, 630, 1, 1.0f}, {631, 400, 1, 1.0f},  {641, 400, 2, 0.5f},
        {400, 631, 2, 0.5f}, {800, 600, 2, 0.5f}, {1230, 700, 2, 0.5f}, {1280, 720, 4, 0.25f},
    };
    for (const Case& c : cases) {
        GameHarness h(c.w, c.h);
        h.StartAndLoad();
        EXPECT_EQ(h.game->f_HiRes, c.hires) << c.w << "x" << c.h;
        EXPECT_FLOAT_EQ(h.game->f_ImageScale, c.scale) << c.w << "x" << c.h;
        // Frame sizes are those of the loaded variant's file.
        EXPECT_EQ(h.game->f_ImageInfo[SLOT_ICONS * 3], 32 * c.hires);
        EXPECT_NE(h.game->f_Images[SLOT_ICONS], nullptr);
    }
}

TEST(Loader, ANewWindowSizeRestartsLoadingWithoutChangingTheMode) {
    GameHarness h;
    h.StartAndLoad();
    h.game->f_GameMode = MODE_PLAY;
    h.Resize(1280, 720);
    h.Render();
    EXPECT_EQ(h.game->f_LoadStep, 1);
    EXPECT_EQ(h.game->f_DeviceWidth, 1280);
    EXPECT_EQ(h.FinishLoading(), 25);
    EXPECT_EQ(h.game->f_HiRes, 4);
    EXPECT_EQ(h.game->f_ImageInfo[SLOT_GFX * 3], 128);
    EXPECT_EQ(h.game->f_GameMode, MODE_PLAY);
    // The same size again does not reload.
    h.Render();
    EXPECT_EQ(h.game->f_LoadStep, 0);
}

TEST(Loader, SuspendPausesAGameUnderWayAndSaves) {
    struct Case {
        int mode;
        int paused, slide, pauseY;
    } cases[] = {
        {MODE_MENU, 0, 0, 0},
        {MODE_MENU_LOAD, 0, 0, 0},
        {MODE_PLAY, 1, 1, 240},
        {MODE_PLAY_LOAD, 1, 1, 240},
    };
    for (const Case& c : cases) {
        GameHarness h(640, 480, MakeLoadRecordingGame);
        h.StartAndLoad();
        h.game->f_GameMode = c.mode;
        h.game->f_PauseY = -64;
        h.Suspend();
        EXPECT_EQ(h.game->f_Paused, c.paused) << c.mode;
        EXPECT_EQ(h.game->f_PauseSlide, c.slide) << c.mode;
        EXPECT_EQ(h.game->f_PauseY, c.pauseY) << c.mode;
        EXPECT_EQ(loading->saves, 1);
        EXPECT_EQ(loading->iCadeOffs, 1);
        h.Resume();
        EXPECT_EQ(h.game->f_Paused, c.paused) << c.mode;
        EXPECT_EQ(h.host->updateRate, UPDATE_RATE);
        EXPECT_EQ(loading->iCadeOffs, 2);
    }
}

// An audio device that records the channel calls the game makes.
class RecordingAudio : public gxtkAudio {
  public:
    std::vector<std::string> calls;
    int PlaySample(gxtkSample*, int channel, int flags) override {
        return Record("play " + std::to_string(channel) + " " + std::to_string(flags));
    }
    int StopChannel(int channel) override { return Record("stop " + std::to_string(channel)); }
    int SetRate(int channel, float v) override {
        return Record("rate " + std::to_string(channel) + " " + Num(v));
    }
    int SetVolume(int channel, float v) override {
        return Record("volume " + std::to_string(channel) + " " + Num(v));
    }
    int SetPan(int channel, float v) override {
        return Record("pan " + std::to_string(channel) + " " + Num(v));
    }
    int Record(const std::string& s) {
        calls.push_back(s);
        return 0;
    }
    static std::string Num(float v) { return std::to_string(static_cast<int>(v * 100)); }
};

struct SfxFixture {
    SfxFixture() {
        h.StartAndLoad();
        audio = new RecordingAudio();
        gc_assign(bb_audio_device, audio);
    }
    GameHarness h;
    RecordingAudio* audio = nullptr;
};

TEST(PlaySFX, StopsThenPlaysThenSetsRateVolumeAndPan) {
    SfxFixture f;
    f.h.game->f_SfxChannel = 0;
    f.h.game->m_PlaySFX(SFX_HIT, 0.8f, 0.5f, -1.0f);
    EXPECT_EQ(f.audio->calls,
              (std::vector<std::string>{"stop 1", "play 1 0", "rate 1 80", "volume 1 50", "pan 1 -100"}));
    EXPECT_EQ(f.h.game->f_SfxChannel, 1);
}

TEST(PlaySFX, TwentyFiveEffectsRotateOverTwentyFourChannels) {
    SfxFixture f;
    f.h.game->f_SfxChannel = 0;
    std::vector<int> channels;
    for (int i = 0; i < 25; ++i) {
        f.audio->calls.clear();
        f.h.game->m_PlaySFX(SFX_STROKE, 1.0f, 1.0f, 0.0f);
        channels.push_back(f.h.game->f_SfxChannel);
        EXPECT_EQ(f.audio->calls[0], "stop " + std::to_string(channels.back()));
    }
    std::vector<int> expected;
    for (int c = 1; c < 24; ++c) expected.push_back(c);
    expected.insert(expected.end(), {0, 1});
    EXPECT_EQ(channels, expected);
}

TEST(PlaySFX, SilentWhenSoundIsOffAndStillStopsForAnEmptySlot) {
    SfxFixture f;
    for (int setting : {0, 3, -1}) {
        f.h.game->f_Settings[SETTING_SOUND] = setting;
        f.h.game->f_SfxChannel = 5;
        f.h.game->m_PlaySFX(SFX_STROKE, 1.0f, 1.0f, 0.0f);
        EXPECT_TRUE(f.audio->calls.empty()) << setting;
        EXPECT_EQ(f.h.game->f_SfxChannel, 5) << setting;
    }
    f.h.game->f_Settings[SETTING_SOUND] = 2;  // effects with music
    for (int n : {50, -1, 100}) {             // empty and out-of-range slots
        f.audio->calls.clear();
        f.h.game->m_PlaySFX(n, 1.0f, 1.0f, 0.0f);
        ASSERT_EQ(f.audio->calls.size(), 4u) << n;
        EXPECT_EQ(f.audio->calls[0].substr(0, 4), "stop");
        EXPECT_EQ(f.audio->calls[1].substr(0, 4), "rate");
    }
}

}  // namespace
