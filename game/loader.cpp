// Start-up and assets: the create, suspend and resume hooks, the choice of
// image resolution, the staged loader that brings in one asset per update
// behind the wait screen, and the sound-effect player with its rotating
// channels.
//
// Image files come in three variants (plain, "-hd", "-hd2"); the variant
// follows the window size, and f_ImageScale undoes its factor at replay so an
// image covers the same logical area whichever variant is loaded.
#include "audio/audio.h"
#include "game/game.h"
#include "graphics/graphics.h"
#include "graphics/graphics_device.h"

namespace {

// What a loader step brings in.
enum class Asset { IMAGE, FONT, SOUND };

struct LoaderStep {
    Asset kind;
    int slot;  // image slot, or sound number
    const char* name;
    int frameWidth;   // font: advance
    int frameHeight;  // font: line height
    int frames;
};

// Steps 1 to 24, in order; step 25 ends loading.
constexpr LoaderStep LOADER_TABLE[] = {
    {Asset::IMAGE, SLOT_ICONS, "common/icons", 32, 32, 16},
    {Asset::IMAGE, SLOT_BUTTONS, "common/Buttons", 64, 64, 16},
    {Asset::IMAGE, SLOT_DPAD, "common/dpad", 32, 32, 16},
    {Asset::IMAGE, SLOT_ICADE, "common/icade", 64, 64, 2},
    {Asset::IMAGE, SLOT_AUTHOR, "common/WexoLogo", 256, 256, 1},
    {Asset::FONT, SLOT_FONT, "fonts/editundo", FONT_ADVANCE, FONT_LINE_HEIGHT, FONT_GLYPHS},
    {Asset::SOUND, SFX_START, nullptr, 0, 0, 0},
    {Asset::SOUND, SFX_EXTRA, nullptr, 0, 0, 0},
    {Asset::SOUND, SFX_CLICK, nullptr, 0, 0, 0},
    {Asset::SOUND, SFX_SWITCH, nullptr, 0, 0, 0},
    {Asset::IMAGE, SLOT_MENU, "menu", 256, 256, 4},
    {Asset::IMAGE, SLOT_LOGO, "logo", 256, 128, 1},
    {Asset::IMAGE, SLOT_PARTS, "parts", 8, 8, 16},
    {Asset::IMAGE, SLOT_BADGES, "BadgesA", 64, 64, 64},
    {Asset::IMAGE, SLOT_GFX, "gfx", 32, 32, 16},
    {Asset::SOUND, SFX_STROKE, nullptr, 0, 0, 0},
    {Asset::SOUND, SFX_BOUNCE, nullptr, 0, 0, 0},
    {Asset::SOUND, SFX_HIT, nullptr, 0, 0, 0},
    {Asset::SOUND, SFX_WALL, nullptr, 0, 0, 0},
    {Asset::SOUND, SFX_CUP, nullptr, 0, 0, 0},
    {Asset::SOUND, SFX_CHEER, nullptr, 0, 0, 0},
    {Asset::SOUND, 16, nullptr, 0, 0, 0},  // 16 and 17 are loaded but never played
    {Asset::SOUND, 17, nullptr, 0, 0, 0},
    {Asset::SOUND, SFX_LAST_EFFECT, nullptr, 0, 0, 0},
};
constexpr int LOADER_TABLE_STEPS = sizeof(LOADER_TABLE) / sizeof(LOADER_TABLE[0]);
static_assert(LOADER_TABLE_STEPS + 1 == LOADER_STEPS, "the last step only ends loading");

// Sound files are named by their number in at least this many digits: sfx/001.wav.
constexpr int SFX_NAME_DIGITS = 3;

// The logo of the wait screen, loaded before the loader starts.
constexpr int AUTHOR_LOGO_SIZE = 256;

bool valid_slot(int slot, int count) {
    return slot >= 0 && slot < count;
}

// Records a slot's frame width, frame height and frame count.
void store_image_info(Array<int>& info, int slot, int width, int height, int frames) {
    info[slot * IMAGE_INFO_PER_SLOT + IMAGE_INFO_WIDTH] = width;
    info[slot * IMAGE_INFO_PER_SLOT + IMAGE_INFO_HEIGHT] = height;
    info[slot * IMAGE_INFO_PER_SLOT + IMAGE_INFO_FRAMES] = frames;
}

// Opens the pause panel when a game is under way, else clears the panel's
// fields; shared by suspend and resume.
void pause_for_suspend(bb_Moxelpark_MyApp* game) {
    if (game->f_GameMode >= MODE_GAME_UNDER_WAY) {
        game->f_Paused = 1;
        game->f_PauseSlide = 1;
        game->f_PauseY = static_cast<int>(bb_Moxelpark_jscrh * 0.5f);
    } else {
        game->f_Paused = game->f_PauseSlide = game->f_PauseY = 0;
    }
}

}  // namespace

// ---- Hooks ----

int bb_Moxelpark_MyApp::m_OnCreate() {
    // 1, 2. The menu first, at the full update rate.
    f_GameMode = MODE_MENU;
    bb_app_SetUpdateRate(UPDATE_RATE);
    // 3. The window as it is now; the tilt is taken as level.
    f_DeviceWidth = bb_graphics_device->Width();
    f_DeviceHeight = bb_graphics_device->Height();
    f_AccelZeroX = f_AccelZeroY = 0.0f;
    // 4. The logo for the wait screen, and the loader started.
    m_Reload();
    // 5. Defaults.
    f_GameType = DEFAULT_GAME_TYPE;
    f_MenuSlide = MENU_SLIDE_START;
    HidePausePanel();
    // 6. Cleared tables; sound effects on.
    for (int i = 0; i < BADGE_ROWS; ++i) f_BadgeQueue[i] = f_BadgeTimer[i] = 0;
    for (int i = 0; i < BADGE_FLAGS_CLEARED_AT_START; ++i) f_BadgeFlags[i] = false;
    for (int i = 0; i < PAD_ENTRIES; ++i) f_Pad[i] = 0;
    for (int i = 0; i < SETTINGS_COUNT; ++i) f_Settings[i] = 0;
    for (int i = 0; i < HIGHSCORE_CLEARED_AT_START; ++i) f_HighScores[i] = 0;
    f_Settings[SETTING_SOUND] = SOUND_ON;
    // 7. The saved state replaces the defaults.
    m_Load();
    // 8. Effect channels map one to one onto the audio device's.
    for (int i = 0; i < CHANNEL_MAP_SIZE; ++i) f_ChannelMap[i] = i;
    // 9. A game kept by the last run comes back once the loader is done; the
    // menu is not shown first.
    ResumeKeptGame();
    return 0;
}

int bb_Moxelpark_MyApp::m_OnSuspend() {
    m_iCade(0);
    pause_for_suspend(this);
    bb_app_SetUpdateRate(SUSPENDED_UPDATE_RATE);
    m_Save();
    // The game in play is kept too: a suspended game may never be resumed
    // (a phone discards the page, a closed window is not reopened).
    if (f_GameMode == MODE_PLAY) KeepGame();
    return 0;
}

int bb_Moxelpark_MyApp::m_OnResume() {
    pause_for_suspend(this);
    bb_app_SetUpdateRate(UPDATE_RATE);
    m_iCade(0);
    return 0;
}

// ---- Images and the font ----

void bb_Moxelpark_MyApp::ChooseResolution() {
    int w = bb_graphics_device->Width();
    int h = bb_graphics_device->Height();
    f_HiRes = HIRES_PLAIN;
    f_ImageScale = 1.0f;
    // NOTE: a window that fits in the nominal screen never magnifies, so the
    // plain files are drawn 1:1 there; the 640 by 480 starting window (whose
    // width is above 630) therefore keeps the plain files.
    bool fitsNominal = w <= static_cast<int>(LOGICAL_WIDTH) && h <= static_cast<int>(LOGICAL_HEIGHT);
    if ((w > HIRES_HD_ABOVE || h > HIRES_HD_ABOVE) && !fitsNominal) {
        f_HiRes = HIRES_HD;
        f_ImageScale = 0.5f;
    }
    if (w > HIRES_HD2_ABOVE || h > HIRES_HD2_ABOVE) {
        f_HiRes = HIRES_HD2;
        f_ImageScale = 0.25f;
    }
}

String bb_Moxelpark_MyApp::ImageFileName(const String& name) const {
    String file = name;
    if (f_HiRes == HIRES_HD) file = file + String("-hd");
    if (f_HiRes == HIRES_HD2) file = file + String("-hd2");
    return file + String(".png");
}

int bb_Moxelpark_MyApp::m_Reload() {
    f_ClsRed = f_ClsGreen = f_ClsBlue = 0.0f;
    f_ClsAlpha = 1.0f;
    ChooseResolution();
    m_LoadImg(SLOT_AUTHOR, String("common/WexoLogo"), AUTHOR_LOGO_SIZE, AUTHOR_LOGO_SIZE, 1,
              IMAGE_FLAG_CENTRE);
    f_LoadStep = LOADER_FIRST_STEP;
    return 0;
}

int bb_Moxelpark_MyApp::m_LoadImg(int slot, String name, int frameWidth, int frameHeight, int frameCount,
                                  int flags) {
    if (!valid_slot(slot, IMAGE_SLOTS)) return 0;
    String file = ImageFileName(name);
    f_Images[slot] = nullptr;
    int w = frameWidth * f_HiRes;
    int h = frameHeight * f_HiRes;
    gc_assign(f_Images[slot], bb_graphics_LoadImage2(file, w, h, frameCount, flags));
    store_image_info(f_ImageInfo, slot, w, h, frameCount);
    return 0;
}

int bb_Moxelpark_MyApp::m_LoadFont(int slot, String name, int advance, int lineHeight) {
    if (!valid_slot(slot, IMAGE_SLOTS)) return 0;
    String file = ImageFileName(name);
    int cell = FONT_CELL * f_HiRes;
    gc_assign(f_Images[slot], bb_graphics_LoadImage2(file, cell, cell, FONT_GLYPHS, IMAGE_FLAG_CENTRE));
    // The font's metrics are logical units, not pixels of the file.
    store_image_info(f_ImageInfo, slot, advance, lineHeight, FONT_GLYPHS);
    f_FontSlot = slot;
    return 0;
}

int bb_Moxelpark_MyApp::ImageInfo(int slot, int which) const {
    const int base = valid_slot(slot, IMAGE_SLOTS) ? slot * IMAGE_INFO_PER_SLOT : 0;
    return f_ImageInfo[base + which];
}

// ---- The staged loader ----

int bb_Moxelpark_MyApp::m_Loader() {
    // 1. The window may have changed since the last step.
    ChooseResolution();
    // 2. This step's asset; past the last step, loading is over.
    if (f_LoadStep >= LOADER_FIRST_STEP && f_LoadStep <= LOADER_TABLE_STEPS) {
        const LoaderStep& step = LOADER_TABLE[f_LoadStep - LOADER_FIRST_STEP];
        switch (step.kind) {
            case Asset::IMAGE:
                m_LoadImg(step.slot, String(step.name), step.frameWidth, step.frameHeight, step.frames,
                          IMAGE_FLAG_CENTRE);
                break;
            case Asset::FONT:
                m_LoadFont(step.slot, String(step.name), step.frameWidth, step.frameHeight);
                break;
            case Asset::SOUND:
                m_LoadSFX(step.slot);
                break;
        }
    } else if (bb_graphics_device->PicturesComing() == 0) {
        f_LoadStep = 0;
    } else {
        // In the browser pictures are decoded away from the page's main
        // thread and may still be on their way: the wait screen stands until
        // they are in, so that no screen is shown with pictures missing.
        // (On the desktop a load is complete when it returns.)
        m_WaitStart(1);
        return 0;
    }
    // 3. On to the next step.
    if (f_LoadStep > 0) ++f_LoadStep;
    // 4. The wait screen, with its spinner, stands for this update.
    m_WaitStart(1);
    return 0;
}

// ---- Sound effects ----

int bb_Moxelpark_MyApp::m_LoadSFX(int n) {
    if (!valid_slot(n, SOUND_SLOTS)) return 0;
    String file = String("sfx/") + m_rstr(n, SFX_NAME_DIGITS, String("0")) + String(".wav");
    gc_assign(f_Sounds[n], bb_audio_LoadSound(file));
    return 0;
}

int bb_Moxelpark_MyApp::m_PlaySFX(int n, float rate, float volume, float pan) {
    // 1. Effects sound only in settings 1 and 2.
    int setting = f_Settings[SETTING_SOUND];
    if (setting != SOUND_ON && setting != SOUND_ON_WITH_MUSIC) return 0;
    // 2. The next channel in turn.
    int next = static_cast<int>((static_cast<long long>(f_SfxChannel) + 1) % SFX_CHANNELS);
    f_SfxChannel = next < 0 ? 0 : next;
    int channel = f_ChannelMap[f_SfxChannel];
    // 3, 4. The channel is cut off even when there is nothing to play.
    bb_audio_StopChannel(channel);
    bb_audio_Sound* sound = valid_slot(n, SOUND_SLOTS) ? f_Sounds[n] : nullptr;
    if (sound != nullptr) bb_audio_PlaySound(sound, channel, 0);
    // 5. Rate, volume and pan are set even when nothing plays.
    bb_audio_SetChannelRate(channel, rate);
    bb_audio_SetChannelVolume(channel, volume);
    bb_audio_SetChannelPan(channel, pan);
    return 0;
}
