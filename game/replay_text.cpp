// A replay's text: bytes in base64url, read back with every value checked.
//
// The bytes: "M", the format version, the game type, the seed, the screen the game
// began on, the number of events, each event (updates since the one before,
// its kind, what it carries), the score, then the FNV-1a checksum of all that.
#include "game/replay_text.h"

#include <cmath>
#include <cstring>

#include "game/bits.h"
#include "game/constants.h"

namespace {

// The first byte of every replay, before its version: text that merely looks
// like base64 is not taken for a replay of another version.
constexpr uint32_t REPLAY_MAGIC = 0x4d;  // "M"
constexpr char BASE64URL[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr int BASE64_BITS = 6;
constexpr int BYTE_BITS = 8;
constexpr uint32_t VARINT_MORE = 0x80;
constexpr uint32_t VARINT_BITS = 0x7f;
constexpr int VARINT_SHIFT = 7;
// A 32-bit value takes at most five bytes of seven bits.
constexpr int VARINT_BYTES_MAX = 5;
constexpr int CHECK_BYTES = 4;
// The logical screen's sides lie within these for any window (play fits the
// nominal 640 by 480 inside it), and the meter gives no more power than
// this, with room to spare.
constexpr float SIDE_MIN = 1.0f / 64.0f;
constexpr float SIDE_MAX = 4096.0f;
constexpr float POWER_MAX = 1000.0f;

uint32_t zigzag(int32_t v) {
    return (static_cast<uint32_t>(v) << 1) ^ static_cast<uint32_t>(-static_cast<int32_t>(v < 0));
}

int32_t unzigzag(uint32_t u) {
    return static_cast<int32_t>((u >> 1) ^ (0u - (u & 1u)));
}

class Writer {
  public:
    void Varint(uint32_t v) {
        while (v >= VARINT_MORE) {
            bytes.push_back(static_cast<char>((v & VARINT_BITS) | VARINT_MORE));
            v >>= VARINT_SHIFT;
        }
        bytes.push_back(static_cast<char>(v));
    }
    void Fixed(uint32_t v) {
        for (int i = 0; i < CHECK_BYTES; ++i)
            bytes.push_back(static_cast<char>((v >> (BYTE_BITS * i)) & 0xffu));
    }
    void Float(float f) { Fixed(bits_of(f)); }
    std::string bytes;
};

class Reader {
  public:
    explicit Reader(const std::string& b) : bytes_(b) {}
    bool Varint(uint32_t* v) {
        *v = 0;
        for (int i = 0; i < VARINT_BYTES_MAX; ++i) {
            if (at_ >= bytes_.size()) return false;
            const uint32_t b = static_cast<unsigned char>(bytes_[at_++]);
            *v |= (b & VARINT_BITS) << (VARINT_SHIFT * i);
            if ((b & VARINT_MORE) == 0) return true;
        }
        return false;
    }
    bool Fixed(uint32_t* v) {
        if (bytes_.size() - at_ < CHECK_BYTES) return false;
        *v = 0;
        for (int i = 0; i < CHECK_BYTES; ++i)
            *v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes_[at_++])) << (BYTE_BITS * i);
        return true;
    }
    bool Float(float* f) {
        uint32_t u;
        if (!Fixed(&u)) return false;
        *f = float_of(u);
        return true;
    }
    bool Byte(uint8_t* b) {
        if (at_ >= bytes_.size()) return false;
        *b = static_cast<uint8_t>(bytes_[at_++]);
        return true;
    }
    size_t At() const { return at_; }

  private:
    const std::string& bytes_;
    size_t at_ = 0;
};

std::string to_base64url(const std::string& bytes) {
    std::string out;
    uint32_t acc = 0;
    int bits = 0;
    for (char c : bytes) {
        acc = (acc << BYTE_BITS) | static_cast<unsigned char>(c);
        bits += BYTE_BITS;
        while (bits >= BASE64_BITS) {
            bits -= BASE64_BITS;
            out.push_back(BASE64URL[(acc >> bits) & 0x3fu]);
        }
    }
    if (bits > 0) out.push_back(BASE64URL[(acc << (BASE64_BITS - bits)) & 0x3fu]);
    return out;
}

bool from_base64url(std::string_view text, std::string* bytes) {
    uint32_t acc = 0;
    int bits = 0;
    for (char c : text) {
        const char* p = c != '\0' ? std::strchr(BASE64URL, c) : nullptr;
        if (!p) return false;
        acc = ((acc << BASE64_BITS) | static_cast<uint32_t>(p - BASE64URL)) & 0xffffu;
        bits += BASE64_BITS;
        if (bits >= BYTE_BITS) {
            bits -= BYTE_BITS;
            bytes->push_back(static_cast<char>((acc >> bits) & 0xffu));
        }
    }
    return true;
}

// The replay's own text inside a link or a file: what follows "replay=" up
// to the end of the fragment's field, or the whole text without the spaces
// and line ends around it.
std::string_view replay_part(std::string_view text) {
    const size_t key = text.find(REPLAY_LINK_KEY);
    if (key != std::string_view::npos) {
        text = text.substr(key + std::strlen(REPLAY_LINK_KEY));
        const size_t end = text.find('&');
        if (end != std::string_view::npos) text = text.substr(0, end);
    }
    const char* space = " \t\r\n";
    const size_t first = text.find_first_not_of(space);
    if (first == std::string_view::npos) return std::string_view();
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

bool fail(const char* reason, std::string* why) {
    *why = reason;
    return false;
}

bool side_ok(float f) {
    return std::isfinite(f) && f >= SIDE_MIN && f <= SIDE_MAX;
}

bool read_event(Reader& in, int32_t* update, ReplayEvent* e) {
    uint32_t delta;
    uint8_t kind;
    if (!in.Varint(&delta) || !in.Byte(&kind)) return false;
    if (delta > static_cast<uint32_t>(REPLAY_UPDATES_MAX - *update)) return false;
    *update += static_cast<int32_t>(delta);
    e->update = *update;
    e->kind = static_cast<ReplayEventKind>(kind);
    switch (e->kind) {
        case ReplayEventKind::SHAPE:
            return in.Float(&e->width) && in.Float(&e->height) && side_ok(e->width) && side_ok(e->height);
        case ReplayEventKind::STROKE: {
            uint8_t facing;
            if (!in.Byte(&facing) || facing > 1 || !in.Float(&e->power)) return false;
            e->facing = facing == 1 ? 1 : -1;
            return std::isfinite(e->power) && e->power > 0.0f && e->power <= POWER_MAX;
        }
        case ReplayEventKind::QUIT:
            return true;
    }
    return false;
}

}  // namespace

std::string EncodeReplay(const Replay& r) {
    Writer out;
    out.Varint(REPLAY_MAGIC);
    out.Varint(REPLAY_VERSION);
    out.Varint(static_cast<uint32_t>(r.gameType));
    out.Varint(zigzag(r.seed));
    out.Float(r.width);
    out.Float(r.height);
    out.Varint(static_cast<uint32_t>(r.events.size()));
    int32_t update = 0;
    for (const ReplayEvent& e : r.events) {
        out.Varint(static_cast<uint32_t>(e.update - update));
        update = e.update;
        out.bytes.push_back(static_cast<char>(e.kind));
        if (e.kind == ReplayEventKind::SHAPE) {
            out.Float(e.width);
            out.Float(e.height);
        } else if (e.kind == ReplayEventKind::STROKE) {
            out.bytes.push_back(static_cast<char>(e.facing > 0 ? 1 : 0));
            out.Float(e.power);
        }
    }
    out.Varint(zigzag(r.score));
    out.Fixed(fnv1a(out.bytes));
    return to_base64url(out.bytes);
}

bool DecodeReplay(std::string_view text, Replay* r, std::string* why) {
    if (text.size() > REPLAY_TEXT_MAX) return fail("it is longer than any replay", why);
    std::string bytes;
    const std::string_view part = replay_part(text);
    if (part.empty() || !from_base64url(part, &bytes)) return fail("it is not a replay", why);
    if (bytes.size() < CHECK_BYTES + 1) return fail("it is not a replay", why);
    Reader check(bytes);
    uint32_t magic = 0, version = 0;
    if (!check.Varint(&magic) || magic != REPLAY_MAGIC || !check.Varint(&version))
        return fail("it is not a replay", why);
    if (version != REPLAY_VERSION) return fail("it comes from another version of the game", why);
    const size_t body = bytes.size() - CHECK_BYTES;
    uint32_t sum = 0;
    for (int i = 0; i < CHECK_BYTES; ++i)
        sum |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[body + i])) << (BYTE_BITS * i);
    if (sum != fnv1a(std::string_view(bytes).substr(0, body)))
        return fail("it was cut short or changed", why);

    Reader in(bytes);
    Replay got;
    uint32_t type, seed, count, score;
    if (!in.Varint(&magic) || !in.Varint(&version) || !in.Varint(&type) || !in.Varint(&seed) ||
        !in.Float(&got.width) || !in.Float(&got.height) || !in.Varint(&count))
        return fail("it is damaged", why);
    if (type < 1 || type > static_cast<uint32_t>(GAME_TYPES))
        return fail("its game type is out of range", why);
    if (!side_ok(got.width) || !side_ok(got.height)) return fail("its screen is out of range", why);
    if (count > static_cast<uint32_t>(REPLAY_EVENTS_MAX))
        return fail("it has more events than any game", why);
    got.gameType = static_cast<int>(type);
    got.seed = unzigzag(seed);
    got.events.resize(count);
    int32_t update = 0;
    for (ReplayEvent& e : got.events) {
        if (!read_event(in, &update, &e)) return fail("one of its events is damaged", why);
    }
    if (!in.Varint(&score) || in.At() != body) return fail("it is damaged", why);
    got.score = unzigzag(score);
    if (got.score < 0) return fail("its score is out of range", why);
    *r = std::move(got);
    return true;
}
