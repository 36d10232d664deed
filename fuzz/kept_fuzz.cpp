// Fuzz target: the kept game. Any bytes in the kept game's file are read as
// the game reads them at start-up (ResumeKeptGame); an input without a
// checksum line is signed first, so the fuzzer gets past the checksum to the
// values and the play behind it. A game the reader accepts is then
// played on for a few seconds of updates, strokes included (off walls,
// objects, into the cup and on to the next hole), kept again on the way and
// suspended at the end. The files live in a scratch working directory of this
// process, and an input that is set aside is cleared away before the next.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/game_host.h"
#include "fuzz/scratch_file.h"
#include "game/kept_text.h"
#include "host/base/files.h"

namespace {

// Updates played over an accepted game: long enough for a stroke to come to
// rest, a ball in the cup to reach the next hole, or a game to end.
constexpr int PLAY_UPDATES = 400;
// Updates between the strokes the target plays when the ball is at rest.
constexpr int STROKE_EVERY = 37;

bb_Moxelpark_MyApp* game = nullptr;

void clear_files() {
    std::remove(KEPT_GAME_FILE_NAME);
    std::remove(STATE_FILE_NAME);
    // Every unreadable input is set aside under a name of its own; the names
    // would run out over a run.
    const std::string aside = std::string(KEPT_GAME_FILE_NAME) + SET_ASIDE_SUFFIX;
    std::remove(aside.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    game = fuzz::StartGameInScratchFolder(".kept");
    // No window: the loader has nothing to load for, and the updates below
    // are the game's own hook.
    game->f_LoadStep = 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    clear_files();
    // An input without a checksum line is signed as the game signs its own,
    // so the values behind the checksum, and play on them, are reached too.
    std::string text(reinterpret_cast<const char*>(data), size);
    if (text.find("check ") == std::string::npos) {
        if (!text.empty() && text.back() != '\n') text += '\n';
        text += KeptGameCheckLine(text);
    }
    if (!fuzz::WriteFile(KEPT_GAME_FILE_NAME, reinterpret_cast<const uint8_t*>(text.data()), text.size()))
        return 0;
    game->f_GameMode = MODE_MENU;
    game->ResumeKeptGame();
    if (game->f_GameMode == MODE_PLAY) {
        game->HidePausePanel();
        for (int i = 0; i < PLAY_UPDATES && game->f_GameMode == MODE_PLAY; ++i) {
            // A stroke of a power taken from the input, played by the next update.
            if (i % STROKE_EVERY == 0 && game->f_BallState == BALL_AIMING)
                game->f_Power = static_cast<float>(1 + (size > 0 ? data[i % size] : i) % 191);
            game->m_OnUpdate();
        }
        game->m_OnSuspend();
    }
    clear_files();
    gc_collect();
    return 0;
}
