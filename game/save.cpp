// Saving and loading: the settings, the badge flags and the score tables
// travel as one text of 98 decimal fields, each followed by "|", in five
// checksummed sections (settings, badges, then one block per game type). The
// host keeps the text in the state file.
//
// A damaged section is discarded on its own: it is loaded, found wrong and
// reset, while the sections around it still load.
//
// NOTE: the checksums are sums that wrap in 32 bits. They are computed and
// compared in unsigned arithmetic, so a crafted file cannot overflow a signed
// int; for every file the game writes the result is the same as a signed sum.
#include <climits>
#include <cstdint>

#include "game/game.h"
#include "game/state_text.h"
#include "host/base/files.h"

namespace {

// The text's layout.
constexpr int SETTINGS_FIELDS = SETTINGS_COUNT + 1;  // values, then the checksum
constexpr int BADGE_WORDS = BADGE_FLAGS / 32;
constexpr int BADGE_WORD_BITS = 32;
constexpr int BADGE_FIELDS = BADGE_WORDS + 1;
constexpr int SCORE_FIELDS = 2 * TABLE_LENGTH + 1;  // top[j], last[j] pairs, then the checksum
static_assert(SETTINGS_FIELDS + BADGE_FIELDS + GAME_TYPES * SCORE_FIELDS == STATE_FIELDS,
              "the state text has 98 fields");

// Weights of a game type's checksum: (j + 4) for top[j], (t + 3 + j) for last[j].
constexpr uint32_t TOP_WEIGHT_BASE = 4;
constexpr uint32_t LAST_WEIGHT_BASE = 3;

// Pad limits applied after every load.
constexpr int PAD_PLACE_MIN = 64;
constexpr int PAD_SIZE_DEFAULT = 10;

// The signed 32-bit value of a wrapped sum (two's complement).
int to_signed(uint32_t u) {
    if (u <= static_cast<uint32_t>(INT_MAX)) return static_cast<int>(u);
    return static_cast<int>(u - 0x80000000u) + INT_MIN;
}

uint32_t to_unsigned(int v) {
    return static_cast<uint32_t>(v);
}

// The settings checksum's term for entry i.
uint32_t setting_term(int i, int value) {
    return to_unsigned(i) * to_unsigned(value);
}

// The score checksum's terms for row j of game type index t (0 to 2).
uint32_t score_terms(int t, int j, int top, int last) {
    return (TOP_WEIGHT_BASE + to_unsigned(j)) * to_unsigned(top) +
           (LAST_WEIGHT_BASE + to_unsigned(t) + to_unsigned(j)) * to_unsigned(last);
}

// Appends one field: the decimal value and its "|".
void append_field(String& text, int value) {
    text = text + String(value) + String("|");
}

}  // namespace

// ---- Saving ----

int bb_Moxelpark_MyApp::m_Save() {
    String text;

    // Settings and their weighted checksum.
    uint32_t sum = 0;
    for (f_Loop = 0; f_Loop < SETTINGS_COUNT; ++f_Loop) {
        append_field(text, f_Settings[f_Loop]);
        sum += setting_term(f_Loop, f_Settings[f_Loop]);
    }
    append_field(text, to_signed(sum));

    // Badge flags as eight words; a word with bit 31 set is written negative.
    sum = 0;
    for (f_Loop = 0; f_Loop < BADGE_WORDS; ++f_Loop) {
        uint32_t word = 0;
        for (int b = 0; b < BADGE_WORD_BITS; ++b) {
            if (f_BadgeFlags[f_Loop * BADGE_WORD_BITS + b]) word |= 1u << b;
        }
        append_field(text, to_signed(word));
        sum += word;
    }
    append_field(text, to_signed(sum));

    // One block per game type: top and last pairs, then the checksum.
    for (f_Index = 0; f_Index < GAME_TYPES; ++f_Index) {
        sum = 0;
        for (f_Loop = 0; f_Loop < TABLE_LENGTH; ++f_Loop) {
            int top = f_HighScores[f_Index * TABLE_LENGTH + f_Loop];
            int last = f_HighScores[LAST_TEN_BASE + f_Index * TABLE_LENGTH + f_Loop];
            append_field(text, top);
            append_field(text, last);
            sum += score_terms(f_Index, f_Loop, top, last);
        }
        append_field(text, to_signed(sum));
    }

    // A failed save keeps the old file (the host says so on stderr); an ended
    // game's kept file stays until a save holds its score.
    SettleKeptGame(bb_app_SaveState(text) == SAVE_OK);
    return 0;
}

// ---- Loading ----

int bb_Moxelpark_MyApp::m_Load() {
    String text = bb_app_LoadState();
    StateFields fields(text);
    int cursor = 0;

    // Settings: stored first, checked after.
    if (fields.Count() >= SETTINGS_FIELDS) {
        uint32_t sum = 0;
        for (f_Loop = 0; f_Loop < SETTINGS_COUNT; ++f_Loop) {
            f_Settings[f_Loop] = fields.Number(f_Loop);
            sum += setting_term(f_Loop, f_Settings[f_Loop]);
        }
        uint32_t stored = to_unsigned(fields.Number(SETTINGS_COUNT));
        cursor = SETTINGS_FIELDS;
        if (sum == stored) {
            DebugLog(String("Settings Loaded"));
        } else {
            DebugLog(String("Settings Checksum Invalid"));
            for (f_Loop = 0; f_Loop < SETTINGS_COUNT; ++f_Loop) f_Settings[f_Loop] = 0;
            f_Settings[SETTING_SOUND] = SOUND_ON;
        }
    }

    // Pad limits, in every case. NOTE: a size below 8 becomes 10, not 8.
    if (f_Settings[SETTING_PAD_X] < PAD_PLACE_MIN) f_Settings[SETTING_PAD_X] = PAD_PLACE_MIN;
    if (f_Settings[SETTING_PAD_Y] < PAD_PLACE_MIN) f_Settings[SETTING_PAD_Y] = PAD_PLACE_MIN;
    if (f_Settings[SETTING_PAD_SIZE] < PAD_SIZE_MIN) f_Settings[SETTING_PAD_SIZE] = PAD_SIZE_DEFAULT;

    // Badges.
    if (fields.Count() > cursor + BADGE_WORDS) {
        uint32_t sum = 0;
        for (f_Loop = 0; f_Loop < BADGE_WORDS; ++f_Loop) {
            uint32_t word = to_unsigned(fields.Number(cursor + f_Loop));
            for (int b = 0; b < BADGE_WORD_BITS; ++b) {
                f_BadgeFlags[f_Loop * BADGE_WORD_BITS + b] = ((word >> b) & 1u) != 0;
            }
            sum += word;
        }
        uint32_t stored = to_unsigned(fields.Number(cursor + BADGE_WORDS));
        cursor += BADGE_FIELDS;
        if (sum == stored) {
            DebugLog(String("Badges Loaded"));
        } else {
            DebugLog(String("Badge Checksum Invalid"));
            for (f_Loop = 0; f_Loop < BADGE_FLAGS; ++f_Loop) f_BadgeFlags[f_Loop] = false;
        }
    }

    // Score blocks; a block that is missing leaves the cursor where it is.
    // (The games behind them are read once they are in: LoadReplays.)
    for (f_Index = 0; f_Index < GAME_TYPES; ++f_Index) {
        if (fields.Count() <= cursor + 2 * TABLE_LENGTH) continue;
        int topBase = f_Index * TABLE_LENGTH;
        int lastBase = LAST_TEN_BASE + f_Index * TABLE_LENGTH;
        uint32_t sum = 0;
        for (f_Loop = 0; f_Loop < TABLE_LENGTH; ++f_Loop) {
            int top = fields.Number(cursor + 2 * f_Loop);
            int last = fields.Number(cursor + 2 * f_Loop + 1);
            f_HighScores[topBase + f_Loop] = top;
            f_HighScores[lastBase + f_Loop] = last;
            sum += score_terms(f_Index, f_Loop, top, last);
        }
        uint32_t stored = to_unsigned(fields.Number(cursor + 2 * TABLE_LENGTH));
        cursor += SCORE_FIELDS;
        String name = String("Highscore ") + String(f_Index);
        if (sum == stored) {
            Print(name + String(" Loaded"));
        } else {
            Print(name + String(" Checksum Invalid"));
            for (f_Loop = 0; f_Loop < TABLE_LENGTH; ++f_Loop) {
                f_HighScores[topBase + f_Loop] = 0;
                f_HighScores[lastBase + f_Loop] = 0;
            }
        }
    }
    LoadReplays();
    return 0;
}
