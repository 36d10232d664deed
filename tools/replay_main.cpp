// moxelpark-replay: plays a recorded game without a window or sound and says
// which game type it was and the score it reaches.
//
//   moxelpark-replay <replay file | link | replay text>
//
// The game is the program's own, started in a folder of its own that is
// removed afterwards, so nothing of the player's (scores, settings, a game in
// progress) is read or touched. Exit status: 0 when the replay reaches the
// score it claims, 1 when it reaches another (it comes from another version
// of the game), 2 when it is not a replay that can be played.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "game/game.h"
#include "game/program.h"
#include "host/app.h"
#include "host/base/window.h"
#include "host/program_start.h"

namespace {

constexpr int EXIT_CLAIMED = 0;
constexpr int EXIT_OTHER_SCORE = 1;
constexpr int EXIT_NOT_A_REPLAY = 2;
// Updates allowed after the last event for the ball to come to rest and the
// game's end to be shown: far more than any stroke takes.
constexpr int32_t UPDATES_AFTER_LAST_EVENT = 36000;
// Updates the loader may take before a game can begin.
constexpr int LOADER_UPDATES_MAX = 1000;

// A window that is never shown: the game's device needs a size to update at
// all, and a watched game keeps its own screen whatever the window's.
class UnseenWindow : public host::NullWindowSystem {
  public:
    bool IsOpen() override { return true; }
    bool IsFocused() override { return true; }
    void GetSize(int* width, int* height) override {
        *width = UNSEEN_WIDTH;
        *height = UNSEEN_HEIGHT;
    }

  private:
    static constexpr int UNSEEN_WIDTH = 640;
    static constexpr int UNSEEN_HEIGHT = 480;
};

// The replay's text: the file the argument names, or the argument itself.
bool replay_text(const char* arg, std::string* text, std::string* why) {
    struct stat info;
    if (stat(arg, &info) != 0 || !S_ISREG(info.st_mode)) {
        *text = arg;
        return true;
    }
    // A file larger than any replay is refused unread.
    if (static_cast<unsigned long long>(info.st_size) > REPLAY_TEXT_MAX) {
        *why = "it is longer than any replay";
        return false;
    }
    std::ifstream in(arg, std::ios::binary);
    text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        *why = "it cannot be read";
        return false;
    }
    return true;
}

// Plays the replay's game in a scratch folder; the score it reaches, or -1
// when it does not end.
int play(const Replay& replay) {
    char dir[] = "/tmp/moxelpark-replay-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0) return -1;

    static UnseenWindow window;
    host::set_window(&window);
    bb_std_main(0, nullptr);
    auto* game = static_cast<bb_Moxelpark_MyApp*>(bb_app_device->f_app);
    bb_app_device->InvokeOnCreate();
    for (int i = 0; i < LOADER_UPDATES_MAX && game->f_LoadStep != 0; ++i) bb_app_device->InvokeOnUpdate();

    game->WatchReplay(replay);
    const int32_t last = replay.events.empty() ? 0 : replay.events.back().update;
    for (int32_t i = 0; i <= last + UPDATES_AFTER_LAST_EVENT && game->WatchedScore() < 0; ++i)
        bb_app_device->InvokeOnUpdate();

    std::error_code gone;
    if (chdir("/") != 0 || std::filesystem::remove_all(dir, gone) == static_cast<std::uintmax_t>(-1))
        std::fprintf(stderr, "Could not remove %s\n", dir);
    return game->WatchedScore();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: moxelpark-replay <replay file | link | replay text>\n");
        return EXIT_NOT_A_REPLAY;
    }
    std::string text, why;
    Replay replay;
    if (!replay_text(argv[1], &text, &why) || !DecodeReplay(text, &replay, &why)) {
        std::fprintf(stderr, "This is not a Moxelpark replay that can be played: %s.\n", why.c_str());
        return EXIT_NOT_A_REPLAY;
    }
    // The game's own lines (its loader's, its course builder's) are not the
    // tool's: its answers go to copies of the standard streams, and the
    // streams themselves to nowhere while the game plays. (Built for node,
    // the copies would go nowhere too: there the game's lines come first
    // and the answer last.)
    std::FILE* out = stdout;
    std::FILE* err = stderr;
#ifndef __EMSCRIPTEN__
    std::fflush(stdout);
    out = fdopen(dup(STDOUT_FILENO), "w");
    err = fdopen(dup(STDERR_FILENO), "w");
    std::FILE* quiet = std::fopen("/dev/null", "w");
    if (!out || !err || !quiet) {
        std::fprintf(stderr, "moxelpark-replay: cannot set its output aside\n");
        return EXIT_NOT_A_REPLAY;
    }
    dup2(fileno(quiet), STDOUT_FILENO);
    dup2(fileno(quiet), STDERR_FILENO);
#endif
    const int score = play(replay);
    if (score < 0) {
        std::fprintf(err,
                     "This replay of game type %d never ends: it comes from another version of Moxelpark.\n",
                     replay.gameType);
        return EXIT_OTHER_SCORE;
    }
    std::fprintf(out, "game type %d, score %d\n", replay.gameType, score);
    if (score != replay.score) {
        std::fprintf(err,
                     "It claims a score of %d: the replay comes from another version of Moxelpark, "
                     "and its score cannot be trusted here.\n",
                     replay.score);
        return EXIT_OTHER_SCORE;
    }
    return EXIT_CLAIMED;
}
