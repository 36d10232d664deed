// Fuzz support: the game object over a window system with no window, as the
// program starts it (collector, globals, game object with its host), in the
// current working directory. No GL context, no sound device: images and
// sounds that fail to load leave their slots empty and the logic still runs.
#ifndef MOXEL_FUZZ_GAME_HOST_H
#define MOXEL_FUZZ_GAME_HOST_H

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

}  // namespace fuzz

#endif
