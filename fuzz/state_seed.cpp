// Writes the state file of a fresh game with a few scores and badges into the
// current working directory: the seed of the state fuzz target's corpus.
#include "fuzz/game_host.h"

namespace {

// A few plausible top and last scores, and earned badges.
constexpr int SEED_SCORES[] = {48210, 17, 0, 123456, 999};
constexpr int SEED_BADGES[] = {0, 3, 7};

}  // namespace

int main() {
    bb_Moxelpark_MyApp* game = fuzz::StartGame();
    game->m_Load();
    int i = 0;
    for (int score : SEED_SCORES) game->f_HighScores[i++ * 7 % game->f_HighScores.Length()] = score;
    for (int badge : SEED_BADGES) game->f_BadgeFlags[badge] = true;
    game->m_Save();
    return 0;
}
