// Fuzz target: the saved state. Any bytes in the state file are read as the
// game reads them at start (String::Load of the file, then m_Load), then the
// menu runs a few updates over whatever was loaded (its score lists, sound
// and iCade switches) and the game saves again. The state file lives in a
// scratch working directory of this process.
#include <cstddef>
#include <cstdint>

#include "fuzz/game_host.h"
#include "fuzz/scratch_file.h"
#include "host/base/files.h"

namespace {

// Updates run over each loaded state: enough for the menu to draw its lists.
constexpr int MENU_UPDATES = 3;

bb_Moxelpark_MyApp* game = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    game = fuzz::StartGameInScratchFolder(".state");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzz::WriteFile(STATE_FILE_NAME, data, size)) return 0;
    game->m_Load();
    game->f_GameMode = MODE_MENU;
    for (int i = 0; i < MENU_UPDATES; ++i) bb_app_device->InvokeOnUpdate();
    game->m_Save();
    gc_collect();
    return 0;
}
