// Data paths, file opening and the state file.
#include "host/base/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

const char* const STATE_FILE_NAME = ".vendlestate";
const char* const KEPT_GAME_FILE_NAME = ".vendlegame";
const char* const REPLAYS_FILE_NAME = ".vendlereplays";
const char* const SET_ASIDE_SUFFIX = ".unreadable";
long (*host_save_write_limit)(long bytes) = nullptr;
void (*host_state_saved)(int result) = nullptr;

namespace {

// Permission bits of a file that fopen would create.
constexpr mode_t NEW_FILE_MODE = 0666;
constexpr mode_t PERMISSION_BITS = 07777;
// save_beside's answer when the folder takes no new files; never returned
// by a save.
constexpr int NO_NEW_FILES = 1;
// Links followed from the state file to the file it names, as many as the
// system itself follows.
constexpr int MAX_LINKS = 40;
// Names tried when a file is set aside: the suffix alone, then "-2" up to this.
constexpr int SET_ASIDE_NAMES = 999;

struct Mapping {
    const char* address;
    const char* path;
};

// The address prefix bb_data_FixDataPath gives bare asset names.
const char* const DATA_ADDRESS = "vendle://data/";

const Mapping MAPPINGS[] = {
    {DATA_ADDRESS, "./data/"},
    {"vendle://internal/", "./internal/"},
    {"vendle://external/", "./external/"},
};

// UTF-8 bytes of a 16-bit text, zero-terminated, for the C runtime's fopen.
std::vector<unsigned char> utf8z(const String& s) {
    std::vector<unsigned char> bytes;
    s.Save(bytes);
    bytes.push_back(0);
    return bytes;
}

// The file a save writes: the named file itself, or the file its symbolic
// links lead to, so that a link the player made keeps pointing at the scores.
// A relative link is read from the folder that holds it. Empty for a chain
// longer than MAX_LINKS (a loop), which an open for writing would refuse too.
std::string link_target(const char* name) {
    std::string path = name;
    for (int hops = 0; hops < MAX_LINKS; ++hops) {
        char link[PATH_MAX];
        ssize_t n = readlink(path.c_str(), link, sizeof link);
        if (n < 0) return path;
        std::string next(link, static_cast<size_t>(n));
        size_t slash = path.rfind('/');
        if (!next.empty() && next[0] != '/' && slash != std::string::npos)
            next = path.substr(0, slash + 1) + next;
        path = next;
    }
    return std::string();
}

// The mode the new state file gets: the old file's, or what fopen would give a
// new one, since mkstemp makes its file readable by the owner only.
mode_t state_file_mode(const std::string& target) {
    struct stat old;
    if (stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) return old.st_mode & PERMISSION_BITS;
    mode_t mask = umask(0);
    umask(mask);
    return NEW_FILE_MODE & ~mask;
}

// The game ignores a save's result, so a failed save says so once on stderr:
// a player whose scores were not kept can see which file and why.
int report_failure(int result, const std::string& target, int error) {
    const char* reason = error != 0 ? std::strerror(error) : "not every byte was written";
    std::fprintf(stderr, "Could not save the game to %s: %s\n", target.c_str(), reason);
    return result;
}

// Writes all of `bytes` to `fd`, cut short by the test seam; false with errno
// set (0 for a cut by the seam) when not every byte went out.
bool write_all(int fd, const std::vector<unsigned char>& bytes) {
    const long size = static_cast<long>(bytes.size());
    long to_write = size;
    if (host_save_write_limit) to_write = std::clamp(host_save_write_limit(size), 0L, size);
    long done = 0;
    while (done < to_write) {
        ssize_t n = write(fd, bytes.data() + done, static_cast<size_t>(to_write - done));
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = 0;
        if (n <= 0) return false;
        done += n;
    }
    errno = 0;
    return to_write == size;
}

// Writes a new file beside the target and renames it over the target, so that
// a crash or a full disk never leaves a cut file. NO_NEW_FILES when the folder
// refuses the new file.
int save_beside(const std::string& target, const std::vector<unsigned char>& bytes) {
    // The temporary sits next to the target so the rename stays on one file system.
    std::string temp = target + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd == -1 && (errno == EACCES || errno == EPERM)) return NO_NEW_FILES;
    if (fd == -1) return report_failure(SAVE_CANNOT_OPEN, target, errno);
    fchmod(fd, state_file_mode(target));
    bool ok = write_all(fd, bytes) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        return report_failure(SAVE_SHORT_WRITE, target, error);
    }
    // A state file that cannot be replaced (a directory of that name, say) is
    // one that cannot be opened for writing.
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        error = errno;
        unlink(temp.c_str());
        return report_failure(SAVE_CANNOT_OPEN, target, error);
    }
    return SAVE_OK;
}

// Writes the target in place, as a plain open for writing does: for a folder
// the player may not add files to (a shared or read-only game folder) whose
// state file is the player's to write.
int save_in_place(const std::string& target, const std::vector<unsigned char>& bytes) {
    int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, NEW_FILE_MODE);
    if (fd == -1) return report_failure(SAVE_CANNOT_OPEN, target, errno);
    bool ok = write_all(fd, bytes);
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    return ok ? SAVE_OK : report_failure(SAVE_SHORT_WRITE, target, error);
}

// The whole text of an open file, which it closes; empty when `f` is null.
String load_and_close(FILE* f) {
    if (!f) return String();
    String s = String::Load(f);
    std::fclose(f);
    return s;
}

}  // namespace

String bb_data_FixDataPath(String path) {
    int i = path.Find(String(":/"));
    if (i != -1 && path.Find(String("/")) == i + 1) return path;
    if (path.StartsWith(String("./")) || path.StartsWith(String("/"))) return path;
    return String(DATA_ADDRESS) + path;
}

std::string localFilePath(String path) {
    if (path.StartsWith(String("vendle://"))) {
        bool mapped = false;
        for (const Mapping& m : MAPPINGS) {
            String prefix(m.address);
            if (path.StartsWith(prefix)) {
                path = String(m.path) + path.Slice(prefix.Length());
                mapped = true;
                break;
            }
        }
        if (!mapped) return std::string();
    }
    std::vector<unsigned char> p = utf8z(path);
    return std::string(reinterpret_cast<const char*>(p.data()));
}

FILE* fopenFile(String path, String mode) {
    const std::string local = localFilePath(path);
    if (local.empty()) return nullptr;
    std::vector<unsigned char> m = utf8z(mode);
    return std::fopen(local.c_str(), reinterpret_cast<const char*>(m.data()));
}

// ---- Data files that arrive after the start ----

bool (*host_data_file_pending)(const char* localPath) = nullptr;

namespace {

struct Awaited {
    std::string path;
    void (*arrived)(void* who);
    void* who;
};
std::vector<Awaited> awaited;

// A path below the working directory without its "./" or "/": the page names
// its files from the root of its folder, the program from the working directory.
std::string from_working_directory(std::string path) {
    if (path.rfind("./", 0) == 0) return path.substr(2);
    if (path.rfind('/', 0) == 0) return path.substr(1);
    return path;
}

}  // namespace

bool host_data_file_coming(String path) {
    const std::string local = localFilePath(path);
    return !local.empty() && host_data_file_pending && host_data_file_pending(local.c_str());
}

bool host_await_data_file(String path, void (*arrived)(void* who), void* who) {
    if (!host_data_file_coming(path)) return false;
    awaited.push_back({from_working_directory(localFilePath(path)), arrived, who});
    return true;
}

void host_forget_data_file(void* who) {
    awaited.erase(
        std::remove_if(awaited.begin(), awaited.end(), [who](const Awaited& a) { return a.who == who; }),
        awaited.end());
}

void host_data_file_arrived(const char* localPath) {
    const std::string path = from_working_directory(localPath);
    // Each is taken off the list before it is called: what it does may add to the list.
    for (size_t i = 0; i < awaited.size();) {
        if (awaited[i].path != path) {
            ++i;
            continue;
        }
        const Awaited a = awaited[i];
        awaited.erase(awaited.begin() + static_cast<long>(i));
        a.arrived(a.who);
    }
}

bool fileBytes(String path, std::vector<unsigned char>* bytes) {
    FILE* f = fopenFile(path, String("rb"));
    if (!f) return false;
    long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
    bool ok = size >= 0 && size <= INT_MAX && std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        bytes->resize(static_cast<size_t>(size));
        ok = std::fread(bytes->data(), 1, bytes->size(), f) == bytes->size();
    }
    std::fclose(f);
    return ok;
}

String host_load_state() {
    return load_and_close(std::fopen(STATE_FILE_NAME, "rb"));
}

namespace {

// Saves `bytes` as the file `name` of the working directory, the crash-safe
// way the state file is saved.
int save_bytes(const char* name, const std::vector<unsigned char>& bytes) {
    const std::string target = link_target(name);
    if (target.empty()) return report_failure(SAVE_CANNOT_OPEN, name, ELOOP);
    // A file the player may not write is left alone, as an open for writing
    // would refuse it; the rename below would need only the folder.
    if (faccessat(AT_FDCWD, target.c_str(), F_OK, AT_EACCESS) == 0 &&
        faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return report_failure(SAVE_CANNOT_OPEN, target, errno);
    }
    int result = save_beside(target, bytes);
    // A folder that takes no new files leaves one way to save: writing the
    // file in place. A crash during that write can cut it.
    if (result == NO_NEW_FILES) result = save_in_place(target, bytes);
    if (host_state_saved) host_state_saved(result);
    return result;
}

}  // namespace

int host_save_state(const String& state) {
    std::vector<unsigned char> bytes;
    state.Save(bytes);
    return save_bytes(STATE_FILE_NAME, bytes);
}

int host_save_file(const char* name, const std::string& text) {
    return save_bytes(name, std::vector<unsigned char>(text.begin(), text.end()));
}

bool host_load_file(const char* name, std::string* bytes) {
    std::vector<unsigned char> data;
    if (!fileBytes(String(name), &data)) return false;
    bytes->assign(data.begin(), data.end());
    return true;
}

long host_file_size(const char* name) {
    struct stat info;
    if (stat(name, &info) != 0) return -1;
    return static_cast<long>(info.st_size);
}

bool host_remove_file(const char* name) {
    const std::string target = link_target(name);
    if (target.empty()) return false;
    if (unlink(target.c_str()) != 0) {
        if (errno == ENOENT) return true;
        std::fprintf(stderr, "Could not remove %s: %s\n", target.c_str(), std::strerror(errno));
        return false;
    }
    if (host_state_saved) host_state_saved(SAVE_OK);
    return true;
}

std::string host_set_aside_file(const char* name) {
    const std::string target = link_target(name);
    if (target.empty()) return std::string();
    // NOTE: a free name is looked for rather than renamed over: a file set
    // aside earlier is the player's and is never replaced.
    int error = 0;
    for (int n = 1; n <= SET_ASIDE_NAMES && error == 0; ++n) {
        std::string aside = target + SET_ASIDE_SUFFIX;
        if (n > 1) aside += "-" + std::to_string(n);
        struct stat taken;
        if (lstat(aside.c_str(), &taken) == 0) continue;
        if (errno != ENOENT || std::rename(target.c_str(), aside.c_str()) != 0) {
            error = errno;
            break;
        }
        if (host_state_saved) host_state_saved(SAVE_OK);
        return aside;
    }
    std::fprintf(stderr, "Could not set %s aside: %s\n", target.c_str(),
                 error != 0 ? std::strerror(error) : "no free name beside it");
    return std::string();
}

String host_load_string(String path) {
    return load_and_close(fopenFile(path, String("rb")));
}
