// What a player does and sees: input, pixels, the state file and the sound.
#include "tests/e2e/player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

namespace e2e {

namespace {

constexpr double PRESS_SECONDS = 0.15;
// How long a picture must stay the same to count as still: far longer than
// one update of a slide (a sixtieth of a second), so a slide still moving
// always shows a change within it, even on a busy machine.
constexpr double STILL_SECONDS = 0.3;
constexpr int DRAG_STEPS = 6;

std::string at(int x, int y) {
    return std::to_string(x) + " " + std::to_string(y);
}

std::vector<unsigned char> slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Offset of the first sample byte of a WAV file's "data" chunk, or 0.
size_t data_offset(const std::vector<unsigned char>& b) {
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0) return 0;
    for (size_t pos = 12; pos + 8 <= b.size();) {
        const uint32_t size = b[pos + 4] | b[pos + 5] << 8 | b[pos + 6] << 16 | uint32_t(b[pos + 7]) << 24;
        if (std::memcmp(&b[pos], "data", 4) == 0) return pos + 8;
        pos += 8 + size + (size & 1);
    }
    return 0;
}

// The generator of the game's courses: a 32-bit linear congruential generator.
struct Generator {
    uint32_t seed;
    float next() {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) * 5.9604645e-8f;
    }
};

}  // namespace

bool same(const Rgb& a, const Rgb& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

void pause_for(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void click(const XServer& server, const std::string& window, int x, int y) {
    server.x("xdotool mousemove --window " + window + " " + at(x, y) + " mousedown 1");
    pause_for(PRESS_SECONDS);
    server.x("xdotool mouseup 1");
}

void instant_click(const XServer& server, const std::string& window, int x, int y) {
    server.x("xdotool mousemove --window " + window + " " + at(x, y) + " click 1");
}

void drag(const XServer& server, const std::string& window, int x0, int y0, int x1, int y1) {
    server.x("xdotool mousemove --window " + window + " " + at(x0, y0) + " mousedown 1");
    pause_for(PRESS_SECONDS);
    for (int i = 1; i <= DRAG_STEPS; ++i) {
        const int x = x0 + (x1 - x0) * i / DRAG_STEPS, y = y0 + (y1 - y0) * i / DRAG_STEPS;
        server.x("xdotool mousemove --window " + window + " " + at(x, y));
        pause_for(PRESS_SECONDS / 2);
    }
    pause_for(PRESS_SECONDS);
    server.x("xdotool mouseup 1");
}

void key(const XServer& server, const std::string& window, const std::string& name) {
    server.x("xdotool windowfocus --sync " + window + " 2>/dev/null");
    server.x("xdotool keydown " + name);
    pause_for(PRESS_SECONDS);
    server.x("xdotool keyup " + name);
}

Screenshot window_shot(const XServer& server, const std::string& window) {
    return server.screenshot(window);
}

Rgb window_pixel(const XServer& server, const std::string& window, int x, int y) {
    return window_shot(server, window).at(x, y);
}

bool wait_for_menu(const XServer& server, const std::string& window, double timeout) {
    return wait_for([&] { return same(window_pixel(server, window, 2, 2), SKY); }, timeout, 0.2);
}

bool wait_for_still(const XServer& server, const std::string& window, double timeout) {
    Screenshot last;
    auto since = std::chrono::steady_clock::now();
    return wait_for(
        [&] {
            Screenshot shot = window_shot(server, window);
            const auto now = std::chrono::steady_clock::now();
            if (shot.width == 0 || shot.rgb != last.rgb || shot.width != last.width) {
                last = std::move(shot);
                since = now;
                return false;
            }
            return std::chrono::duration<double>(now - since).count() >= STILL_SECONDS;
        },
        timeout, 0.05);
}

void close_and_expect_zero(const XServer& server, Game& game, double timeout) {
    server.x("wmctrl -c Moxelpark");
    int status = -1;
    ASSERT_TRUE(game.wait_exit(timeout, &status)) << "still running after the close";
    EXPECT_EQ(status, 0);
}

bool wait_for_menu_at_rest(const XServer& server, const std::string& window, double timeout) {
    // A reload for a new size shows the wait screen, which stands still too
    // while a slow (sanitized) build loads the images: keep waiting until what
    // stands still is the menu.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    auto left = [&] {
        return std::chrono::duration<double>(deadline - std::chrono::steady_clock::now()).count();
    };
    while (left() > 0) {
        if (wait_for_menu(server, window, left()) && wait_for_still(server, window, left()) &&
            same(window_pixel(server, window, 2, 2), SKY))
            return true;
    }
    return false;
}

bool play_screen(const XServer& server, const std::string& window) {
    Screenshot shot = window_shot(server, window);
    return same(shot.at(10, 470), GRASS) && same(shot.at(630, 60), SKY);
}

bool pause_veil(const XServer& server, const std::string& window) {
    return window_pixel(server, window, 630, 60).b < 50;
}

std::vector<long long> state_fields(const std::string& text) {
    std::vector<long long> fields;
    std::string field;
    for (char c : text) {
        if (c != '|') {
            field += c;
            continue;
        }
        fields.push_back(std::atoll(field.c_str()));
        field.clear();
    }
    return fields;
}

bool state_valid(const std::string& text, std::string* why) {
    std::vector<long long> f = state_fields(text);
    if (f.size() != 98 || text.empty() || text.back() != '|') {
        *why = "not 98 fields ending in |";
        return false;
    }
    auto u = [](long long v) { return static_cast<uint32_t>(v); };
    uint32_t sum = 0;
    for (int i = 0; i < 25; ++i) sum += u(i) * u(f[i]);
    if (sum != u(f[25])) *why = "settings checksum";
    sum = 0;
    for (int k = 0; k < 8; ++k) sum += u(f[26 + k]);
    if (sum != u(f[34])) *why = "badge checksum";
    for (int t = 0; t < 3; ++t) {
        const int base = 35 + 21 * t;
        sum = 0;
        for (int j = 0; j < 10; ++j)
            sum += u(j + 4) * u(f[base + 2 * j]) + u(t + 3 + j) * u(f[base + 2 * j + 1]);
        if (sum != u(f[base + 20])) *why = "highscore checksum of type " + std::to_string(t + 1);
    }
    return why->empty();
}

std::string capture_config(const WorkDir& dir, const std::string& wav) {
    dir.write("alsoft.conf",
              "[general]\ndrivers=wave\nchannels=mono\nsample-type=int16\nfrequency=44100\n"
              "[wave]\nfile=" +
                  wav + "\n");
    return "ALSOFT_CONF=" + dir.file("alsoft.conf");
}

long capture_data_bytes(const std::string& wav) {
    std::vector<unsigned char> b = slurp(wav);
    size_t start = data_offset(b);
    return start ? static_cast<long>(b.size() - start) : 0;
}

double capture_peak(const std::string& wav, long from_data_byte) {
    std::vector<unsigned char> b = slurp(wav);
    size_t start = data_offset(b);
    if (!start) return 0.0;
    double peak = 0.0;
    for (size_t i = start + static_cast<size_t>(from_data_byte & ~1L); i + 1 < b.size(); i += 2) {
        const int16_t s = static_cast<int16_t>(b[i] | b[i + 1] << 8);
        peak = std::max(peak, std::fabs(s / 32768.0));
    }
    return peak;
}

std::vector<CourseObject> course(int game_type, int hole, float width, float height) {
    const int base = hole * game_type;
    const int count = std::min(base + 3, 100);
    Generator g{static_cast<uint32_t>(game_type * 1024 + hole)};
    const double x_range = (width - 96.0f) - 48.0f;
    const double y_range = static_cast<float>((height - 128.0f - 64.0f) - 48.0f);
    std::vector<CourseObject> objects;
    for (int i = 1; i <= count; ++i) {
        int x = 0, y = 0;
        for (int tries = 128; tries > 0;) {
            --tries;
            x = static_cast<int>(48.0 + g.next() * x_range);
            y = static_cast<int>(48.0 + g.next() * y_range);
            if (i == 1) tries = 0;
            for (const CourseObject& o : objects) {
                if (std::abs(o.x - x) >= 48 || std::abs(o.y - y) >= 48) tries = 0;
            }
        }
        objects.push_back({i > base ? 2 : 1, x, y});
    }
    return objects;
}

}  // namespace e2e
