// A game as it was played, enough to play it again exactly, and its text.
//
// A game is a function of its type, the generator's seed when it began, the
// logical screen it was laid out on at each update, and each stroke's facing
// and power: nothing else the play reads comes from the player. A replay
// holds those, each event at the play update it came in, with floats as
// their bits, and the score the game reached.
//
// Its text is short enough for a link: the bytes in base64url (no padding),
// numbers as variable-length integers, ended by a checksum, so a link cut
// short or changed by hand is told apart from one to play. The text comes
// from anyone's link or file: every text gives a defined answer, and one that
// is accepted holds only values a game of this version can play.
#ifndef MOXEL_GAME_REPLAY_TEXT_H
#define MOXEL_GAME_REPLAY_TEXT_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The replay format; a replay of another format is not played.
constexpr int REPLAY_VERSION = 1;
// The part of a page's address that carries a replay: "#replay=" and the text.
constexpr const char* REPLAY_LINK_KEY = "replay=";
// No game comes near these: a longer text is refused before it is decoded.
// The most events at their longest (13 bytes) stay well within the text.
constexpr size_t REPLAY_TEXT_MAX = 64 * 1024;
constexpr int REPLAY_EVENTS_MAX = 3000;
// About 46 hours of play at 60 updates a second.
constexpr int32_t REPLAY_UPDATES_MAX = 10000000;

enum class ReplayEventKind : uint8_t {
    SHAPE = 1,   // the logical screen became width by height (a resize)
    STROKE = 2,  // a stroke at `power`, the golfer facing `facing`
    QUIT = 3,    // the player quit from the pause panel
};

struct ReplayEvent {
    int32_t update = 0;  // play updates since the game began, this one counted
    ReplayEventKind kind = ReplayEventKind::QUIT;
    int facing = 1;                     // STROKE: 1 right, -1 left
    float power = 0.0f;                 // STROKE: the meter's power
    float width = 0.0f, height = 0.0f;  // SHAPE
};

struct Replay {
    int gameType = 0;
    int32_t seed = 0;                   // bb_random_Seed as the game began
    float width = 0.0f, height = 0.0f;  // the logical screen as it began
    std::vector<ReplayEvent> events;    // in order of their updates
    int32_t score = 0;                  // the score the game reached
};

// The replay's text (base64url).
std::string EncodeReplay(const Replay& replay);

// Reads a replay's text, or a link or a file's text holding one after
// "replay=". False, with a few words for the player in `why`, for a text
// that is not a replay, comes from another version, was cut short or
// changed, or holds a value no game of this version has.
bool DecodeReplay(std::string_view text, Replay* replay, std::string* why);

#endif
