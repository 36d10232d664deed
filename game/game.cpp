// The game object. For now it only asks for its update rate and shows the
// menu's blue.
#include "game/game.h"

#include "graphics/graphics.h"

namespace {
constexpr int UPDATE_RATE = 60;
constexpr float MENU_BLUE = 80.0f;
}  // namespace

int bb_Moxelpark_DebugMode = 0;
int bb_Moxelpark_iCadeControls = 0;
int bb_Moxelpark_HasMusic = 0;
int bb_Moxelpark_OnScreenControls = 0;
int bb_Moxelpark_AccelerometerControls = 0;
float bb_Moxelpark_rawscrw = 640.0f;
float bb_Moxelpark_rawscrh = 480.0f;
float bb_Moxelpark_jscrw = 640.0f;
float bb_Moxelpark_jscrh = 480.0f;

bb_Moxelpark_MyApp* bb_Moxelpark_MyApp::g_new() {
    bb_app_App::g_new();
    return this;
}

int bb_Moxelpark_MyApp::m_OnCreate() {
    bb_app_device->SetUpdateRate(UPDATE_RATE);
    return 0;
}

int bb_Moxelpark_MyApp::m_OnRender() {
    bb_graphics_device->Cls(0.0f, 0.0f, MENU_BLUE);
    return 0;
}
