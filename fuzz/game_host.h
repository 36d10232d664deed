// Fuzz support: the game object over a window system with no window, as the
// program starts it (collector, globals, game object with its host), in the
// current working directory. No GL context, no sound device: images and
// sounds that fail to load leave their slots empty and the logic still runs.
#ifndef MOXEL_FUZZ_GAME_HOST_H
#define MOXEL_FUZZ_GAME_HOST_H

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "fuzz/scratch_file.h"
#include "game/game.h"
#include "game/program.h"
#include "host/app.h"
#include "host/base/window.h"
#include "runtime/runtime.h"

namespace fuzz {

// Starts the runtime and creates the game object; returns it.
inline bb_Moxelpark_MyApp* StartGame() {
    static host::NullWindowSystem window;
    host::set_window(&window);
    gc_init1();
    gc_mark_roots = bb_mark_roots;
    bbInit();
    gc_init2();
    bbMain();
    return static_cast<bb_Moxelpark_MyApp*>(bb_app_device->f_app);
}

// Starts the game as the program does, in a scratch folder of its own (named
// after `extension`) where it reads and writes its files, and creates it.
inline bb_Moxelpark_MyApp* StartGameInScratchFolder(const char* extension) {
    const std::string dir = ScratchPath(extension);
    mkdir(dir.c_str(), 0700);
    if (chdir(dir.c_str()) != 0) std::abort();
    bb_Moxelpark_MyApp* game = StartGame();
    bb_app_device->InvokeOnCreate();
    return game;
}

}  // namespace fuzz

#endif
