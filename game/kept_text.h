// The kept game's text: a game in progress as its file holds it, written and
// read back bit for bit.
//
// The file is plain lines of a name and its values, so a player can see what
// it holds; a version line says which game wrote it, and a checksum line ends
// it, so a file that was cut short, changed by hand or written by another
// version is told apart from one to play on. Floats are written as the eight
// hex digits of their bits: decimal text could round them, and the same
// stroke must fly the same way after the game comes back.
//
// The text comes from a file anyone can edit: every text gives a defined
// answer, and a text that is accepted holds only values the game can play on.
#ifndef MOXEL_GAME_KEPT_TEXT_H
#define MOXEL_GAME_KEPT_TEXT_H

#include <string>

#include "game/constants.h"

// The kept game's format; a file of another version is not resumed. Format 1
// (without the game's recording) is still read.
constexpr int KEPT_GAME_VERSION = 2;
constexpr int KEPT_GAME_VERSION_WITHOUT_RECORDING = 1;
// No game writes a file near this size (every object and table full is about
// 5 KB, the longest recording a replay holds under 64 KB): a larger one is
// refused before it is read.
constexpr long KEPT_GAME_MAX_BYTES = 128 * 1024;

// One course object as f_Objects holds it (the floats the play loop reads).
struct KeptObject {
    float kind = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    float hit = 0.0f;
};

// Everything the rest of a game depends on: the next stroke, the next hole
// (the generator's seed draws its cup), the score and the tables.
struct KeptGame {
    int gameType = 0;
    int hole = 0;
    int balls = 0;
    int score = 0;
    int shownScore = 0;
    int gameOver = 0;
    int gameOverTime = 0;
    int ballState = 0;
    int facing = 1;
    int combo = 0;
    int inCup = 0;
    int holedTimer = 0;
    int objectCount = 0;
    int seed = 0;  // bb_random_Seed
    float ballX = 0.0f, ballY = 0.0f;
    float ballVX = 0.0f, ballVY = 0.0f;
    float heroX = 0.0f, heroY = 0.0f;
    float shotPower = 0.0f;
    float cupX = 0.0f;
    float holeWidth = 0.0f, holeHeight = 0.0f;  // the logical screen the hole is laid out for
    KeptObject objects[OBJECT_MAX + 1];         // entries 1 to OBJECT_MAX; 0 stays empty
    // 1 once the game's score is in the tables, with the game type's top ten
    // and last ten as they are with it: putting them back twice gives what
    // putting them back once does.
    int recorded = 0;
    int top[TABLE_LENGTH] = {};
    int last[TABLE_LENGTH] = {};
    // The game as recorded so far (a replay's text, its score not yet known)
    // and the updates of play it has run: a resumed game goes on recording,
    // so it leaves a replay as a game played straight through does. Empty
    // for a game that was not recorded from its start.
    std::string recording;
    int playUpdate = 0;
};

// The whole text of the file.
std::string WriteKeptGame(const KeptGame& game);

// The line that ends the text: the checksum of everything above it (`body`,
// which ends with a line end).
std::string KeptGameCheckLine(const std::string& body);

// Reads a text WriteKeptGame wrote. False, with a few words for the console
// in `why`, for a text that is not a kept game, comes from another version,
// was cut short or changed, or holds a value no game of this version has.
bool ReadKeptGame(const std::string& text, KeptGame* game, std::string* why);

#endif
