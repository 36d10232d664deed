// The games behind the score tables, kept as replays in their own file beside
// the state file, so a player can watch any score of a top ten or a last ten
// again. The state file keeps its fields as they are; this file follows it.
//
// One line per kept game: which table, the game type, the rank, the score and
// the replay's text. A line is believed only when its replay reads back, is
// of that type and reaches that score, and the table holds that score at that
// rank: whatever happened between the two files' saves, a score is never
// shown with another game's replay.
#include <sstream>
#include <string>

#include "game/game.h"
#include "host/base/files.h"

namespace {

constexpr const char* REPLAYS_TITLE = "Moxelpark replays";
constexpr const char* REPLAYS_VERSION_LINE = "version 1";
constexpr const char* TABLE_NAMES[2] = {"top", "last"};
// Twenty games a type, none near this: a larger file is refused unread.
constexpr long REPLAYS_FILE_MAX = 4L * 1024 * 1024;

}  // namespace

void bb_Moxelpark_MyApp::RecordReplay(int place) {
    if (f_GameType < 1 || f_GameType > GAME_TYPES) return;
    // A game resumed from a kept game that held no recording has none.
    const std::string text = lastReplay_.gameType == f_GameType ? EncodeReplay(lastReplay_) : std::string();
    std::string* top = tableReplays_[f_GameType - 1][0];
    std::string* last = tableReplays_[f_GameType - 1][1];
    if (place >= 0) {
        for (int j = TABLE_LENGTH - 1; j > place; --j) top[j] = top[j - 1];
        top[place] = text;
    }
    for (int j = TABLE_LENGTH - 1; j > 0; --j) last[j] = last[j - 1];
    last[0] = text;

    std::string file = std::string(REPLAYS_TITLE) + "\n" + REPLAYS_VERSION_LINE + "\n";
    for (int t = 0; t < GAME_TYPES; ++t) {
        for (int table = 0; table < 2; ++table) {
            const int base = (table == 1 ? LAST_TEN_BASE : 0) + t * TABLE_LENGTH;
            for (int j = 0; j < TABLE_LENGTH; ++j) {
                if (tableReplays_[t][table][j].empty()) continue;
                file += std::string(TABLE_NAMES[table]) + " " + std::to_string(t + 1) + " " +
                        std::to_string(j) + " " + std::to_string(f_HighScores[base + j]) + " " +
                        tableReplays_[t][table][j] + "\n";
            }
        }
    }
    // A failed save says so on stderr (the host does); the scores are safe
    // without it, only their games are not kept.
    host_save_file(REPLAYS_FILE_NAME, file);
}

void bb_Moxelpark_MyApp::LoadReplays() {
    for (auto& type : tableReplays_)
        for (auto& table : type)
            for (std::string& text : table) text.clear();
    const long size = host_file_size(REPLAYS_FILE_NAME);
    std::string file;
    if (size < 0 || size > REPLAYS_FILE_MAX || !host_load_file(REPLAYS_FILE_NAME, &file)) return;
    std::istringstream lines(file);
    std::string line;
    if (!std::getline(lines, line) || line != REPLAYS_TITLE) return;
    if (!std::getline(lines, line) || line != REPLAYS_VERSION_LINE) return;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name, text, why;
        int type = 0, rank = -1, score = -1;
        if (!(fields >> name >> type >> rank >> score >> text)) continue;
        const int table = name == TABLE_NAMES[0] ? 0 : name == TABLE_NAMES[1] ? 1 : -1;
        if (table < 0 || type < 1 || type > GAME_TYPES || rank < 0 || rank >= TABLE_LENGTH) continue;
        const int base = (table == 1 ? LAST_TEN_BASE : 0) + (type - 1) * TABLE_LENGTH;
        Replay replay;
        if (f_HighScores[base + rank] != score || !DecodeReplay(text, &replay, &why) ||
            replay.gameType != type || replay.score != score)
            continue;
        tableReplays_[type - 1][table][rank] = text;
    }
}

bool bb_Moxelpark_MyApp::HasReplayBehind(int type, bool last, int rank) const {
    return type >= 1 && type <= GAME_TYPES && rank >= 0 && rank < TABLE_LENGTH &&
           !tableReplays_[type - 1][last ? 1 : 0][rank].empty();
}

bool bb_Moxelpark_MyApp::ReplayBehind(int type, bool last, int rank, Replay* replay) const {
    if (type < 1 || type > GAME_TYPES || rank < 0 || rank >= TABLE_LENGTH) return false;
    const std::string& text = tableReplays_[type - 1][last ? 1 : 0][rank];
    std::string why;
    return !text.empty() && DecodeReplay(text, replay, &why);
}
