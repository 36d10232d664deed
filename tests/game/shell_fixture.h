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

}  // namespace shell_test

#endif
