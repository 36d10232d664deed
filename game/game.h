// bb_Moxelpark_MyApp, the game.
#ifndef MOXEL_GAME_GAME_H
#define MOXEL_GAME_GAME_H

#include "host/app.h"

// Configuration switches and the logical screen.
extern int bb_Moxelpark_DebugMode;
extern int bb_Moxelpark_iCadeControls;
extern int bb_Moxelpark_HasMusic;
extern int bb_Moxelpark_OnScreenControls;
extern int bb_Moxelpark_AccelerometerControls;
extern float bb_Moxelpark_rawscrw;
extern float bb_Moxelpark_rawscrh;
extern float bb_Moxelpark_jscrw;
extern float bb_Moxelpark_jscrh;

class bb_Moxelpark_MyApp : public bb_app_App {
public:
    bb_Moxelpark_MyApp* g_new();

    int m_OnCreate() override;
    int m_OnRender() override;
};

#endif
