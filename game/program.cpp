// The program's globals and its application object.
#include "game/program.h"

#include "audio/audio.h"
#include "audio/random.h"
#include "game/game.h"
#include "graphics/graphics.h"
#include "input/input.h"

namespace {
constexpr int START_SEED = 1234;
}  // namespace

int bbInit() {
    // The roots are cleared before anything is allocated.
    bb_graphics_device = nullptr;
    bb_input_device = nullptr;
    bb_audio_device = nullptr;
    bb_app_device = nullptr;
    gc_assign(bb_graphics_context, (new bb_graphics_GraphicsContext())->g_new());
    bb_graphics_renderDevice = nullptr;
    bb_graphics_Image::g_DefaultFlags = 0;
    bb_random_Seed = START_SEED;
    bb_Moxelpark_DebugMode = 0;
    bb_Moxelpark_iCadeControls = 0;
    bb_Moxelpark_HasMusic = 0;
    bb_Moxelpark_OnScreenControls = 0;
    bb_Moxelpark_AccelerometerControls = 0;
    bb_Moxelpark_rawscrw = bb_Moxelpark_jscrw = LOGICAL_WIDTH;
    bb_Moxelpark_rawscrh = bb_Moxelpark_jscrh = LOGICAL_HEIGHT;
    return 0;
}

int bbMain() {
    (new bb_Moxelpark_MyApp())->g_new();
    return 0;
}
