// Replays in the page's address: a link with "#replay=" in it plays that game
// back once the menu is up, and a watched game can be shared as such a link.
// The page (pre.js) calls these; the game does the watching.
#include <emscripten.h>

#include <string>

#include "game/game.h"
#include "game/replay_text.h"
#include "host/app.h"

namespace {

bb_Moxelpark_MyApp* game() {
    return bb_app_device ? static_cast<bb_Moxelpark_MyApp*>(bb_app_device->f_app) : nullptr;
}

// What the page last asked for: the reason a link was refused, or the text of
// the watched game. Kept here so the page can read it after the call.
std::string answer;

}  // namespace

// Watches the replay in `link` (the page's address or its fragment). 1 when
// it plays; 0 with the reason in moxel_replay_answer() when it cannot be.
extern "C" EMSCRIPTEN_KEEPALIVE int moxel_watch(const char* link) {
    Replay replay;
    answer.clear();
    if (!game() || !link) {
        answer = "the game has not started";
        return 0;
    }
    if (!DecodeReplay(link, &replay, &answer)) return 0;
    game()->WatchReplay(replay);
    return 1;
}

// The watched game's replay text, for a link; empty when none is watched.
extern "C" EMSCRIPTEN_KEEPALIVE const char* moxel_watched_replay() {
    answer = game() && game()->Watching() ? EncodeReplay(game()->WatchedReplay()) : std::string();
    return answer.c_str();
}

extern "C" EMSCRIPTEN_KEEPALIVE const char* moxel_replay_answer() {
    return answer.c_str();
}

// The score the last watched game reached; -1 while it plays or before any.
extern "C" EMSCRIPTEN_KEEPALIVE int moxel_watched_score() {
    return game() ? game()->WatchedScore() : -1;
}

// The game type of the last game watched; 0 before any.
extern "C" EMSCRIPTEN_KEEPALIVE int moxel_watched_type() {
    return game() ? game()->WatchedReplay().gameType : 0;
}
