// Helpers of the game-shell tests (menu, saving, game over, badges, credits):
// a fresh working directory per test, the state file's bytes, and the lines
// the game writes on standard output.
#ifndef MOXEL_TESTS_GAME_SHELL_FIXTURE_H
#define MOXEL_TESTS_GAME_SHELL_FIXTURE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"

namespace shell_test {

// Runs the test in a fresh temporary directory, so the state file it reads
// and writes is its own. The game's data directory is linked in, so images
// and the font still load. The old directory is restored at the end.
class ScopedWorkDir {
  public:
    ScopedWorkDir() {
        char old[PATH_MAX];
        if (getcwd(old, sizeof old) == nullptr) ADD_FAILURE() << "getcwd failed";
        oldDir_ = old;
        char pattern[] = "/tmp/moxel-shell-XXXXXX";
        if (mkdtemp(pattern) == nullptr) ADD_FAILURE() << "mkdtemp failed";
        dir_ = pattern;
        std::error_code ignored;
        std::filesystem::create_directory_symlink(oldDir_ + "/data", dir_ + "/data", ignored);
        if (chdir(dir_.c_str()) != 0) ADD_FAILURE() << "chdir failed";
    }
    ~ScopedWorkDir() {
        if (chdir(oldDir_.c_str()) != 0) ADD_FAILURE() << "chdir back failed";
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;

  private:
    std::string oldDir_;
    std::string dir_;
};

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

// ---- A game whose texts are recorded ----
// Its play can be switched off so the shell's screens are tested on their own.

// One call of m_Text, its text narrowed to 8 bits.
struct TextCall {
    float x, y;
    std::string text;
    float ax, ay;
};

class ShellGame : public bb_Moxelpark_MyApp {
  public:
    std::vector<TextCall> texts;
    bool stubPlay = false;  // play does nothing but start its frame

    int m_Text(float x, float y, String text, float ax, float ay) override {
        std::string narrow;
        for (int i = 0; i < text.Length(); ++i) narrow += static_cast<char>(text[i]);
        texts.push_back({x, y, narrow, ax, ay});
        return bb_Moxelpark_MyApp::m_Text(x, y, text, ax, ay);
    }
    int m_Game() override { return stubPlay ? m_CLS2D() : bb_Moxelpark_MyApp::m_Game(); }
    int m_InGame() override { return stubPlay ? 0 : bb_Moxelpark_MyApp::m_InGame(); }
    // The last recorded call whose text starts with `prefix`, or null.
    const TextCall* Find(const std::string& prefix) const {
        for (auto c = texts.rbegin(); c != texts.rend(); ++c) {
            if (c->text.compare(0, prefix.size(), prefix) == 0) return &*c;
        }
        return nullptr;
    }
};

inline ShellGame*& LastShellGame() {
    static ShellGame* game = nullptr;
    return game;
}

inline void MakeShellGame() {
    LastShellGame() = new ShellGame();
    LastShellGame()->g_new();
}

// A shell game in its own working directory, created and loaded, on the menu
// with the slide-in finished. Update() forgets the texts of earlier updates.
struct ShellFixture {
    // `state`, when given, is the state file the game finds when it starts.
    explicit ShellFixture(int width = 640, int height = 480, bool settle = true,
                          const std::string& state = "")
        : h(width, height, MakeShellGame), game(LastShellGame()) {
        if (!state.empty()) WriteStateFile(state);
        h.StartAndLoad();
        if (settle) Update(-MENU_SLIDE_START);
    }
    void Update(int n = 1) {
        game->texts.clear();
        h.Update(n);
    }
    // Presses at logical (x, y) (the window is at scale 1 unless resized) and holds.
    void Press(float x, float y) {
        h.SetPointer(static_cast<int>(x * game->f_ScaleX), static_cast<int>(y * game->f_ScaleY));
        h.MouseDown();
        Update();
    }
    void Release() {
        h.MouseUp();
        Update();
    }
    void Click(float x, float y) {
        Press(x, y);
        Release();
    }
    // Press and release in one event poll, as a touchpad tap delivers them.
    void InstantClick(float x, float y) {
        h.SetPointer(static_cast<int>(x * game->f_ScaleX), static_cast<int>(y * game->f_ScaleY));
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
    ShellGame* game;
};

}  // namespace shell_test

#endif
