// End-to-end harness: processes, X servers, screenshots.
#include "tests/e2e/harness.h"

#include <fcntl.h>
#include <signal.h>
#include <stb_image.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

namespace e2e {

namespace {

double now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Starts argv with extra environment, working directory and output files; returns the pid.
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& cwd,
            const std::string& out_file, const std::string& err_file, bool keep_display = true) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    setpgid(0, 0);
    if (!keep_display) unsetenv("DISPLAY");
    for (const std::string& e : env) putenv(strdup(e.c_str()));
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(127);
    int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    int out = open(out_file.empty() ? "/dev/null" : out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(err_file.empty() ? "/dev/null" : err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

void stop(pid_t pid) {
    if (pid <= 0) return;
    kill(-pid, SIGTERM);
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        usleep(20000);
    }
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

}  // namespace

std::string run(const std::string& command, int* status) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) {
        if (status) *status = -1;
        return out;
    }
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int rc = pclose(p);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

bool wait_for(const std::function<bool()>& ready, double timeout, double step) {
    const double end = now() + timeout;
    for (;;) {
        if (ready()) return true;
        if (now() > end) return false;
        std::this_thread::sleep_for(std::chrono::duration<double>(step));
    }
}

Rgb Screenshot::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

XServer::XServer(bool window_manager, int width, int height) {
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    // Try display numbers until one comes up; parallel tests may race for the same one.
    for (int attempt = 0; attempt < 20 && display_.empty(); ++attempt) {
        const int number = 100 + static_cast<int>((getpid() * 7 + attempt * 131 + time(nullptr)) % 800);
        const std::string candidate = ":" + std::to_string(number);
        if (access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0) continue;
        server_ = spawn({"Xvfb", candidate, "-screen", "0", screen, "-nolisten", "tcp", "-noreset"}, {}, "",
                        "", "");
        const bool up = wait_for(
            [&] {
                int st = 1;
                run("xdpyinfo -display " + candidate + " >/dev/null 2>&1", &st);
                return st == 0 || waitpid(server_, nullptr, WNOHANG) == server_;
            },
            10.0, 0.05);
        int st = 1;
        if (up) run("xdpyinfo -display " + candidate + " >/dev/null 2>&1", &st);
        if (st == 0) {
            display_ = candidate;
        } else {
            stop(server_);
            server_ = -1;
        }
    }
    if (display_.empty()) return;
    if (window_manager) {
        wm_ = spawn({"openbox"}, {"DISPLAY=" + display_}, "", "", "");
        wait_for(
            [&] {
                int st = 1;
                x("wmctrl -m >/dev/null 2>&1", &st);
                return st == 0;
            },
            10.0);
    }
}

XServer::~XServer() {
    stop(wm_);
    stop(server_);
}

std::string XServer::x(const std::string& command, int* status) const {
    return run("DISPLAY=" + display_ + " " + command, status);
}

Screenshot XServer::screenshot(const std::string& window) const {
    Screenshot shot;
    char name[] = "/tmp/moxel-shot-XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0) return shot;
    close(fd);
    int st = 1;
    x("import -window " + window + " png:" + name + " 2>/dev/null", &st);
    int channels = 0;
    unsigned char* pixels = st == 0 ? stbi_load(name, &shot.width, &shot.height, &channels, 3) : nullptr;
    unlink(name);
    if (!pixels) {
        shot.width = shot.height = 0;
        return shot;
    }
    shot.rgb.assign(pixels, pixels + static_cast<size_t>(shot.width) * shot.height * 3);
    stbi_image_free(pixels);
    return shot;
}

WorkDir::WorkDir(bool with_data) : TempDir("moxel-e2e") {
    if (with_data && symlink(data_dir().c_str(), file("data").c_str()) != 0)
        ADD_FAILURE() << "cannot link the data into " << path();
}

Game::Game(const WorkDir& dir, const XServer* server, const std::vector<std::string>& env)
    : dir_(dir), server_(server) {
    std::vector<std::string> full_env = env;
    if (server) full_env.push_back("DISPLAY=" + server->display());
    pid_ = spawn({program_path()}, full_env, dir.path(), dir.file("stdout.txt"), dir.file("stderr.txt"),
                 server != nullptr);
}

Game::~Game() {
    if (pid_ > 0 && status_ == -1) stop(pid_);
}

bool Game::running() {
    if (status_ != -1) return false;
    int st = 0;
    if (waitpid(pid_, &st, WNOHANG) == pid_) {
        status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
        return false;
    }
    return true;
}

void Game::kill_now() {
    if (!running()) return;
    kill(pid_, SIGKILL);
    int st = 0;
    waitpid(pid_, &st, 0);
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

bool Game::wait_exit(double timeout, int* status) {
    bool ended = wait_for([&] { return !running(); }, timeout, 0.02);
    if (status) *status = status_;
    return ended;
}

std::string Game::out() const {
    return dir_.read("stdout.txt");
}

std::string Game::err() const {
    return dir_.read("stderr.txt");
}

std::string Game::window(double timeout) const {
    std::string id;
    wait_for(
        [&] {
            id = server_->x("xdotool search --name '^Moxelpark$' 2>/dev/null | head -n 1");
            while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
            return !id.empty();
        },
        timeout, 0.1);
    return id;
}

std::string program_path() {
    return MOXEL_PROGRAM;
}

std::string data_dir() {
    return MOXEL_DATA_DIR;
}

}  // namespace e2e
