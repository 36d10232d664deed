// The program's start: its globals and its application object.
#ifndef MOXEL_GAME_PROGRAM_H
#define MOXEL_GAME_PROGRAM_H

// Sets every program global to its start value.
int bbInit();
// Creates the game object and with it the host.
int bbMain();

#endif
