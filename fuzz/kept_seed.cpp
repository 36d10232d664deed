// Writes two kept games into the current working directory, the seeds of the
// kept fuzz target's corpus: a game of type 2 at rest on hole 1 (rest.kept)
// and the same game a moment after a stroke (flight.kept); and each again
// without its checksum line (.body), which the target signs itself.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/game_host.h"
#include "host/base/files.h"

namespace {

constexpr float SEED_POWER = 120.0f;
constexpr int FLIGHT_UPDATES = 20;

// Moves the kept game to `name` and writes its body beside it as `name`.body.
bool take_kept(const std::string& name) {
    std::ifstream in(KEPT_GAME_FILE_NAME, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t check = text.rfind("check ");
    if (check == std::string::npos) return false;
    std::ofstream(name + ".body", std::ios::binary) << text.substr(0, check);
    return std::rename(KEPT_GAME_FILE_NAME, (name + ".kept").c_str()) == 0;
}

}  // namespace

int main() {
    bb_Moxelpark_MyApp* game = fuzz::StartGame();
    game->f_GameType = 2;
    game->f_GameMode = MODE_PLAY_LOAD;
    game->m_OnUpdate();
    if (!take_kept("rest")) return 1;
    game->f_Power = SEED_POWER;
    for (int i = 0; i < FLIGHT_UPDATES; ++i) game->m_OnUpdate();
    game->KeepGame();
    return take_kept("flight") ? 0 : 1;
}
