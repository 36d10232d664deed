// Helpers of the game-shell tests (menu, saving, game over, badges, credits):
// a fresh working directory per test, the state file's bytes, and the lines
// the game writes on standard output.
#ifndef MOXEL_TESTS_GAME_SHELL_FIXTURE_H
#define MOXEL_TESTS_GAME_SHELL_FIXTURE_H

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"
#include "tests/support/recording_game.h"
#include "tests/support/temp_dir.h"

namespace shell_test {

using test_support::ScopedWorkDir;

constexpr const char* STATE_FILE = ".vendlestate";

inline bool StateFileExists() {
    return std::filesystem::exists(STATE_FILE);
}

inline std::string ReadStateFile() {
    std::ifstream in(STATE_FILE, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteStateFile(const std::string& bytes) {
    std::ofstream out(STATE_FILE, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// The state text's fields (the text ends in "|", which leaves no field after it here).
inline std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields;
    std::string field;
    for (char c : text) {
        if (c == '|') {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    if (!field.empty()) fields.push_back(field);
    return fields;
}

inline std::string JoinFields(const std::vector<std::string>& fields) {
    std::string text;
    for (const std::string& f : fields) text += f + "|";
    return text;
}

// Captures standard output while alive; Lines() ends the capture.
class StdoutCapture {
  public:
    StdoutCapture() { testing::internal::CaptureStdout(); }
    ~StdoutCapture() {
        if (!done_) testing::internal::GetCapturedStdout();
    }
    std::vector<std::string> Lines() {
        done_ = true;
        std::istringstream in(testing::internal::GetCapturedStdout());
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

  private:
    bool done_ = false;
};

using test_support::RecordingGame;
using test_support::TextCall;

// A recording game in its own working directory, created and loaded, on the
// menu with the slide-in finished. Update() forgets the texts of earlier updates.
struct ShellFixture {
    // `state`, when given, is the state file the game finds when it starts.
    explicit ShellFixture(int width = 640, int height = 480, bool settle = true,
                          const std::string& state = "")
        : h(width, height, test_support::MakeRecordingGame), game(test_support::LastRecordingGame()) {
        if (!state.empty()) WriteStateFile(state);
        h.StartAndLoad();
        if (settle) Update(-MENU_SLIDE_START);
    }
    void Update(int n = 1) {
        game->texts.clear();
        h.Update(n);
    }
    // Presses at logical (x, y) (the window is at scale 1 unless resized) and holds.
    void Press(int x, int y) {
        test_support::PointAt(h, x, y);
        h.MouseDown();
        Update();
    }
    void Release() {
        h.MouseUp();
        Update();
    }
    void Click(int x, int y) {
        Press(x, y);
        Release();
    }
    // Press and release in one event poll, as a touchpad tap delivers them.
    void InstantClick(int x, int y) {
        test_support::PointAt(h, x, y);
        h.MouseDown();
        h.MouseUp();
        Update();
    }
    void Hold(int key) {
        h.KeyDown(key);
        Update();
    }
    void Let(int key) {
        h.KeyUp(key);
        Update();
    }

    ScopedWorkDir dir;
    game_test::GameHarness h;
    RecordingGame* game;
};

}  // namespace shell_test

#endif
