// Data paths, file opening and the state file.
#include "host/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

const char* const STATE_FILE_NAME = ".vendlestate";
long (*host_save_write_limit)(long bytes) = nullptr;

namespace {

// Permission bits of a file that fopen would create.
constexpr mode_t NEW_FILE_MODE = 0666;
constexpr mode_t PERMISSION_BITS = 07777;

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

FILE* open_utf8(const String& path, const char* mode) {
    std::vector<unsigned char> p = utf8z(path);
    return std::fopen(reinterpret_cast<const char*>(p.data()), mode);
}

// The mode the new state file gets: the old file's, or what fopen would give a
// new one, since mkstemp makes its file readable by the owner only.
mode_t state_file_mode() {
    struct stat old;
    if (stat(STATE_FILE_NAME, &old) == 0 && S_ISREG(old.st_mode)) return old.st_mode & PERMISSION_BITS;
    mode_t mask = umask(0);
    umask(mask);
    return NEW_FILE_MODE & ~mask;
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

FILE* fopenFile(String path, String mode) {
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
        if (!mapped) return nullptr;
    }
    std::vector<unsigned char> m = utf8z(mode);
    return open_utf8(path, reinterpret_cast<const char*>(m.data()));
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

int host_save_state(const String& state) {
    // The temporary sits next to the state file so the rename stays on one file system.
    std::string temp = std::string(STATE_FILE_NAME) + ".XXXXXX";
    char* temp_name = temp.data();
    int fd = mkstemp(temp_name);
    if (fd == -1) return SAVE_CANNOT_OPEN;
    fchmod(fd, state_file_mode());
    FILE* f = fdopen(fd, "wb");
    if (!f) {
        close(fd);
        unlink(temp_name);
        return SAVE_CANNOT_OPEN;
    }
    std::vector<unsigned char> bytes;
    state.Save(bytes);
    const long size = static_cast<long>(bytes.size());
    long to_write = size;
    if (host_save_write_limit) to_write = std::clamp(host_save_write_limit(size), 0L, size);
    const size_t n = static_cast<size_t>(to_write);
    bool ok = (n == 0 || std::fwrite(bytes.data(), 1, n, f) == n) && to_write == size;
    ok = std::fflush(f) == 0 && ok;
    ok = fsync(fileno(f)) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        unlink(temp_name);
        return SAVE_SHORT_WRITE;
    }
    // A state file that cannot be replaced (a directory of that name, say) is
    // one that cannot be opened for writing.
    if (std::rename(temp_name, STATE_FILE_NAME) != 0) {
        unlink(temp_name);
        return SAVE_CANNOT_OPEN;
    }
    return SAVE_OK;
}

String host_load_string(String path) {
    return load_and_close(fopenFile(path, String("rb")));
}
