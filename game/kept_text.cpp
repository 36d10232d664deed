// The kept game's text (see kept_text.h): one line per value or group of
// values, in a fixed order, between a title and version line and a checksum.
#include "game/kept_text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "game/bits.h"
#include "game/replay_text.h"

namespace {

constexpr const char* TITLE = "Moxelpark kept game";
constexpr const char* CHECK = "check";
constexpr char LINE_END = '\n';
constexpr char SEPARATOR = ' ';

// The checksum (FNV-1a, bits.h) over everything above its line catches a
// changed digit anywhere, and its eight hex digits are easy to write.
constexpr int HEX_DIGITS = 8;
// Decimal digits of the largest int.
constexpr int INT_DIGITS = 10;

// What a game of this version can hold. A hole, a count of balls or a score
// beyond these is not one anybody played to, and keeping them bounded keeps
// every sum the play loop makes on them within an int.
constexpr int HOLE_LIMIT = 1000000;
constexpr int BALLS_LIMIT = 1000000;
constexpr int SCORE_LIMIT = 1000000000;
// Places and speeds are logical units; a logical screen is at most 640 by 480.
constexpr float PLACE_LIMIT = 1000000.0f;

// The checksum's eight hex digits for the text above its line.
std::string check_digits(std::string_view body) {
    char sum[HEX_DIGITS + 1];
    std::snprintf(sum, sizeof sum, "%08x", static_cast<unsigned>(fnv1a(body)));
    return sum;
}

// ---- Writing ----

class Writer {
  public:
    Writer& Name(const char* name) {
        text_ += name;
        return *this;
    }
    Writer& Int(int v) {
        text_ += SEPARATOR;
        text_ += std::to_string(v);
        return *this;
    }
    Writer& Float(float v) {
        char hex[HEX_DIGITS + 1];
        std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(bits_of(v)));
        text_ += SEPARATOR;
        text_ += hex;
        return *this;
    }
    Writer& Word(const char* digits) {
        text_ += SEPARATOR;
        text_ += digits;
        return *this;
    }
    void End() { text_ += LINE_END; }
    std::string& text() { return text_; }

  private:
    std::string text_;
};

// ---- Reading ----

// A value of a line: an int or a float, as its line's pattern says ('i', 'f').
struct Value {
    int i = 0;
    float f = 0.0f;
};

bool parse_int(std::string_view s, int* out) {
    bool negative = !s.empty() && s[0] == '-';
    if (negative) s.remove_prefix(1);
    if (s.empty() || s.size() > static_cast<size_t>(INT_DIGITS)) return false;
    long long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    *out = static_cast<int>(v);
    return true;
}

// Eight lowercase hex digits of a float that is a number of sensible size.
bool parse_float(std::string_view s, float* out) {
    if (s.size() != static_cast<size_t>(HEX_DIGITS)) return false;
    uint32_t bits = 0;
    for (char c : s) {
        uint32_t d;
        if (c >= '0' && c <= '9') {
            d = static_cast<uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            d = static_cast<uint32_t>(c - 'a' + 10);
        } else {
            return false;
        }
        bits = bits << 4 | d;
    }
    float v = float_of(bits);
    if (!std::isfinite(v) || std::fabs(v) > PLACE_LIMIT) return false;
    *out = v;
    return true;
}

class Reader {
  public:
    explicit Reader(std::string_view body) {
        size_t start = 0;
        while (start < body.size()) {
            size_t end = body.find(LINE_END, start);
            lines_.push_back(body.substr(start, end - start));
            start = end + 1;
        }
    }

    // The next line, which must be `name` followed by values as `pattern`
    // says; false (with `why` said) when it is not.
    bool Line(const char* name, const char* pattern, Value* values, std::string* why) {
        if (at_ >= lines_.size()) return Fail(name, "is missing", why);
        std::string_view line = lines_[at_++];
        std::vector<std::string_view> tokens;
        size_t start = 0;
        for (;;) {
            size_t end = line.find(SEPARATOR, start);
            tokens.push_back(line.substr(start, end == std::string_view::npos ? end : end - start));
            if (end == std::string_view::npos) break;
            start = end + 1;
        }
        const size_t count = std::strlen(pattern);
        if (tokens[0] != name || tokens.size() != count + 1) return Fail(name, "is damaged", why);
        for (size_t k = 0; k < count; ++k) {
            bool ok = pattern[k] == 'i' ? parse_int(tokens[k + 1], &values[k].i)
                                        : parse_float(tokens[k + 1], &values[k].f);
            if (!ok) return Fail(name, "is damaged", why);
        }
        return true;
    }
    // One int on a line of its own, within [low, high].
    bool Int(const char* name, int low, int high, int* out, std::string* why) {
        Value v;
        if (!Line(name, "i", &v, why)) return false;
        if (v.i < low || v.i > high) return Fail(name, "is out of range", why);
        *out = v.i;
        return true;
    }
    // Two floats on a line of their own.
    bool Floats(const char* name, float* a, float* b, std::string* why) {
        Value v[2];
        if (!Line(name, b ? "ff" : "f", v, why)) return false;
        *a = v[0].f;
        if (b) *b = v[1].f;
        return true;
    }
    // A line of `name`, an int within [0, high] and a word of letters,
    // digits, '-' and '_' (a replay's text) no longer than `longest`.
    bool IntAndWord(const char* name, int high, size_t longest, int* number, std::string* word,
                    std::string* why) {
        if (at_ >= lines_.size()) return Fail(name, "is missing", why);
        std::string_view line = lines_[at_++];
        const std::string prefix = std::string(name) + SEPARATOR;
        const size_t gap = line.find(SEPARATOR, prefix.size());
        if (line.substr(0, prefix.size()) != prefix || gap == std::string_view::npos)
            return Fail(name, "is damaged", why);
        const std::string_view text = line.substr(gap + 1);
        if (!parse_int(line.substr(prefix.size(), gap - prefix.size()), number) || text.empty() ||
            text.size() > longest)
            return Fail(name, "is damaged", why);
        for (char c : text) {
            const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                            c == '-' || c == '_';
            if (!ok) return Fail(name, "is damaged", why);
        }
        if (*number < 0 || *number > high) return Fail(name, "is out of range", why);
        *word = std::string(text);
        return true;
    }
    bool AtEnd() const { return at_ == lines_.size(); }

    static bool Fail(const char* name, const char* what, std::string* why) {
        *why = std::string("its ") + name + " line " + what;
        return false;
    }

  private:
    std::vector<std::string_view> lines_;
    size_t at_ = 0;
};

bool is_flag(int v) {
    return v == 0 || v == 1;
}

bool read_objects(Reader& in, KeptGame* g, std::string* why) {
    int lines = 0;
    if (!in.Int("objects", 0, OBJECT_MAX, &lines, why)) return false;
    int previous = 0;
    for (int k = 0; k < lines; ++k) {
        Value v[5];
        if (!in.Line("object", "iiiff", v, why)) return false;
        const int n = v[0].i, kind = v[1].i, hit = v[2].i;
        // Entries come in order, each once; an object is a target or a bonus
        // object, struck or not.
        if (n <= previous || n > OBJECT_MAX || kind < OBJECT_NONE || kind > OBJECT_BONUS || !is_flag(hit))
            return Reader::Fail("object", "is out of range", why);
        previous = n;
        g->objects[n] = {static_cast<float>(kind), v[3].f, v[4].f, static_cast<float>(hit)};
    }
    return true;
}

bool read_table(Reader& in, const char* name, int* table, std::string* why) {
    Value v[TABLE_LENGTH];
    if (!in.Line(name, "iiiiiiiiii", v, why)) return false;
    for (int j = 0; j < TABLE_LENGTH; ++j) table[j] = v[j].i;
    return true;
}

bool read_body(Reader& in, int version, KeptGame* g, std::string* why) {
    if (!in.Int("type", 1, GAME_TYPES, &g->gameType, why) || !in.Int("hole", 1, HOLE_LIMIT, &g->hole, why) ||
        !in.Int("balls", 0, BALLS_LIMIT, &g->balls, why) ||
        !in.Int("score", 0, SCORE_LIMIT, &g->score, why) ||
        !in.Int("shown", 0, SCORE_LIMIT, &g->shownScore, why) || !in.Int("over", 0, 1, &g->gameOver, why) ||
        !in.Int("overtime", 0, OVERLAY_SWITCH_TIME - 1, &g->gameOverTime, why) ||
        !in.Int("ballstate", BALL_AIMING, BALL_IN_CUP, &g->ballState, why) ||
        !in.Int("facing", -1, 1, &g->facing, why) || !in.Int("combo", 0, OBJECT_MAX, &g->combo, why) ||
        !in.Int("incup", 0, 1, &g->inCup, why) ||
        !in.Int("holed", 0, NEXT_HOLE_AFTER - 1, &g->holedTimer, why) ||
        !in.Int("count", 0, OBJECT_MAX, &g->objectCount, why) ||
        !in.Int("seed", INT32_MIN, INT32_MAX, &g->seed, why))
        return false;
    if (g->facing == 0) return Reader::Fail("facing", "is out of range", why);
    if (!in.Floats("ball", &g->ballX, &g->ballY, why) ||
        !in.Floats("velocity", &g->ballVX, &g->ballVY, why) ||
        !in.Floats("hero", &g->heroX, &g->heroY, why) || !in.Floats("shot", &g->shotPower, nullptr, why) ||
        !in.Floats("cup", &g->cupX, nullptr, why) || !in.Floats("screen", &g->holeWidth, &g->holeHeight, why))
        return false;
    // A hole is laid out for a screen with an area.
    if (!(g->holeWidth > 0.0f) || !(g->holeHeight > 0.0f))
        return Reader::Fail("screen", "is out of range", why);
    if (!read_objects(in, g, why)) return false;
    if (!in.Int("recorded", 0, 1, &g->recorded, why) || !read_table(in, "top", g->top, why) ||
        !read_table(in, "last", g->last, why))
        return false;
    if (version != KEPT_GAME_VERSION_WITHOUT_RECORDING && !in.AtEnd() &&
        !in.IntAndWord("recording", REPLAY_UPDATES_MAX, REPLAY_TEXT_MAX, &g->playUpdate, &g->recording, why))
        return false;
    if (!in.AtEnd()) {
        *why = "it has lines after its last value";
        return false;
    }
    return true;
}

}  // namespace

std::string WriteKeptGame(const KeptGame& g) {
    Writer out;
    out.Name(TITLE).End();
    out.Name("version").Int(KEPT_GAME_VERSION).End();
    out.Name("type").Int(g.gameType).End();
    out.Name("hole").Int(g.hole).End();
    out.Name("balls").Int(g.balls).End();
    out.Name("score").Int(g.score).End();
    out.Name("shown").Int(g.shownScore).End();
    out.Name("over").Int(g.gameOver).End();
    out.Name("overtime").Int(g.gameOverTime).End();
    out.Name("ballstate").Int(g.ballState).End();
    out.Name("facing").Int(g.facing).End();
    out.Name("combo").Int(g.combo).End();
    out.Name("incup").Int(g.inCup).End();
    out.Name("holed").Int(g.holedTimer).End();
    out.Name("count").Int(g.objectCount).End();
    out.Name("seed").Int(g.seed).End();
    out.Name("ball").Float(g.ballX).Float(g.ballY).End();
    out.Name("velocity").Float(g.ballVX).Float(g.ballVY).End();
    out.Name("hero").Float(g.heroX).Float(g.heroY).End();
    out.Name("shot").Float(g.shotPower).End();
    out.Name("cup").Float(g.cupX).End();
    out.Name("screen").Float(g.holeWidth).Float(g.holeHeight).End();
    // Only entries that hold something: the rest are empty in every game.
    int lines = 0;
    auto used = [](const KeptObject& o) {
        return o.kind != 0.0f || o.x != 0.0f || o.y != 0.0f || o.hit != 0.0f;
    };
    for (int n = 1; n <= OBJECT_MAX; ++n) lines += used(g.objects[n]) ? 1 : 0;
    out.Name("objects").Int(lines).End();
    for (int n = 1; n <= OBJECT_MAX; ++n) {
        const KeptObject& o = g.objects[n];
        if (!used(o)) continue;
        out.Name("object")
            .Int(n)
            .Int(static_cast<int>(o.kind))
            .Int(static_cast<int>(o.hit))
            .Float(o.x)
            .Float(o.y);
        out.End();
    }
    out.Name("recorded").Int(g.recorded).End();
    out.Name("top");
    for (int v : g.top) out.Int(v);
    out.End();
    out.Name("last");
    for (int v : g.last) out.Int(v);
    out.End();
    if (!g.recording.empty()) out.Name("recording").Int(g.playUpdate).Word(g.recording.c_str()).End();
    return out.text() + KeptGameCheckLine(out.text());
}

std::string KeptGameCheckLine(const std::string& body) {
    Writer out;
    out.Name(CHECK).Word(check_digits(body).c_str()).End();
    return out.text();
}

bool ReadKeptGame(const std::string& text, KeptGame* game, std::string* why) {
    std::string_view all(text);
    // The title and the version first: a file of another version may have
    // other lines, or another checksum.
    const std::string title = std::string(TITLE) + LINE_END;
    if (all.substr(0, title.size()) != title) {
        *why = "it is not a kept game";
        return false;
    }
    all.remove_prefix(title.size());
    const std::string_view versionName = "version ";
    const size_t versionEnd = all.find(LINE_END);
    int version = 0;
    if (versionEnd == std::string_view::npos || all.substr(0, versionName.size()) != versionName ||
        !parse_int(all.substr(versionName.size(), versionEnd - versionName.size()), &version)) {
        *why = "its version line is damaged";
        return false;
    }
    if (version != KEPT_GAME_VERSION && version != KEPT_GAME_VERSION_WITHOUT_RECORDING) {
        *why = "it was written by another version of the game (format " + std::to_string(version) + ")";
        return false;
    }
    // The checksum line ends the file; without it the file was cut short.
    const std::string_view checkName = "check ";
    const size_t lastLine = text.size() >= 2 ? text.rfind(LINE_END, text.size() - 2) : std::string::npos;
    if (text.empty() || text.back() != LINE_END || lastLine == std::string::npos ||
        std::string_view(text).substr(lastLine + 1, checkName.size()) != checkName) {
        *why = "it is cut short";
        return false;
    }
    const std::string_view body = std::string_view(text).substr(0, lastLine + 1);
    const std::string_view sumText = std::string_view(text).substr(
        lastLine + 1 + checkName.size(), text.size() - lastLine - 2 - checkName.size());
    if (sumText != check_digits(body)) {
        *why = "it was changed after it was written (its checksum does not match)";
        return false;
    }
    KeptGame g;
    Reader in(body.substr(title.size() + versionEnd + 1));
    if (!read_body(in, version, &g, why)) return false;
    *game = g;
    return true;
}
