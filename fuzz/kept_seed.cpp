// Writes two kept games into the current working directory, the seeds of the
// kept fuzz target's corpus: a game of type 2 at rest on hole 1 (rest.kept)
// and the same game a moment after a stroke (flight.kept).
#include <cstdio>

#include "fuzz/game_host.h"
#include "host/base/files.h"

namespace {

constexpr float SEED_POWER = 120.0f;
constexpr int FLIGHT_UPDATES = 20;

}  // namespace

int main() {
    bb_Moxelpark_MyApp* game = fuzz::StartGame();
    game->f_GameType = 2;
    game->f_GameMode = MODE_PLAY_LOAD;
    game->m_OnUpdate();
    if (std::rename(KEPT_GAME_FILE_NAME, "rest.kept") != 0) return 1;
    game->f_Power = SEED_POWER;
    for (int i = 0; i < FLIGHT_UPDATES; ++i) game->m_OnUpdate();
    game->KeepGame();
    return std::rename(KEPT_GAME_FILE_NAME, "flight.kept") != 0 ? 1 : 0;
}
