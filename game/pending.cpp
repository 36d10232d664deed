// Placeholder bodies of the game's methods that are not written yet.
//
// One section per area. Whoever writes an area deletes its section here and
// defines the methods in the area's own source (named in the section title).
// Every placeholder does nothing and returns 0, false or the empty text, so
// the game runs with the area switched off.
#include "game/game.h"

// ===========================================================================
// controls.cpp: actions, iCade, on-screen pad, tilt indicator
bool bb_Moxelpark_MyApp::m_PlayKey(int) {
    return false;
}
int bb_Moxelpark_MyApp::m_iCade(int) {
    return 0;
}
int bb_Moxelpark_MyApp::DecodeICade() {
    return 0;
}
int bb_Moxelpark_MyApp::OnScreenPad() {
    return 0;
}
int bb_Moxelpark_MyApp::TiltIndicator() {
    return 0;
}

// ===========================================================================
// pause.cpp: pause button and pause panel
int bb_Moxelpark_MyApp::m_InGame() {
    return 0;
}
int bb_Moxelpark_MyApp::m_PauseMenu() {
    return 0;
}
