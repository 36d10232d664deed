// End-to-end harness: a private X server (optionally with openbox), the real
// program started in its own working directory, XTEST input through xdotool,
// and screenshots read back as pixels.
#ifndef MOXEL_TESTS_E2E_HARNESS_H
#define MOXEL_TESTS_E2E_HARNESS_H

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_dir.h"

namespace e2e {

// Runs a shell command; returns its standard output, and its exit status through `status`.
std::string run(const std::string& command, int* status = nullptr);

// Polls `ready` every `step` seconds until it holds or `timeout` seconds pass.
bool wait_for(const std::function<bool()>& ready, double timeout, double step = 0.05);

struct Rgb {
    int r, g, b;
};

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    Rgb at(int x, int y) const;
    bool ok() const { return width > 0; }
};

class XServer {
  public:
    explicit XServer(bool window_manager = false, int width = 1024, int height = 768);
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const std::string& display() const { return display_; }
    // Runs a command with DISPLAY set to this server.
    std::string x(const std::string& command, int* status = nullptr) const;
    // The whole screen, or one window's contents when `window` names one.
    Screenshot screenshot(const std::string& window = "root") const;

  private:
    std::string display_;
    pid_t server_ = -1;
    pid_t wm_ = -1;
};

// A fresh working directory for the program, with `data` linked to the generated data.
class WorkDir : public test_support::TempDir {
  public:
    explicit WorkDir(bool with_data = true);
};

class Game {
  public:
    // Starts the program in `dir`; `env` holds extra NAME=VALUE entries. A null
    // server runs it without DISPLAY.
    Game(const WorkDir& dir, const XServer* server, const std::vector<std::string>& env = {});
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Waits for the process to end; false on timeout. The exit status goes to `status`.
    bool wait_exit(double timeout, int* status);
    bool running();
    // Ends the program at once, as `kill -9` does: nothing reaches it first.
    void kill_now();
    std::string out() const;
    std::string err() const;
    // The program's window id, polled for up to `timeout` seconds; empty if none.
    std::string window(double timeout = 20.0) const;

  private:
    const WorkDir& dir_;
    const XServer* server_;
    pid_t pid_ = -1;
    int status_ = -1;
};

// Program and data built alongside the tests.
std::string program_path();
std::string data_dir();

}  // namespace e2e

#endif
