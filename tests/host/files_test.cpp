// Data paths, file opening and the state file, each test in a fresh working
// directory: the address mapping, the UTF-8 state file, and saves that fail
// without touching the state already on disk.
#include "host/base/files.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// The unprivileged user the permission tests run as under root.
constexpr uid_t NOBODY = 65534;

// A String's UTF-8 bytes, for readable comparisons.
std::string Utf8(const String& s) {
    std::vector<unsigned char> bytes;
    s.Save(bytes);
    return std::string(bytes.begin(), bytes.end());
}

String FromUtf8(const std::string& s) {
    return String::Load(reinterpret_cast<const unsigned char*>(s.data()), static_cast<int>(s.size()));
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path().empty() ? "." : path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadAndClose(FILE* f) {
    std::string bytes;
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) bytes.push_back(static_cast<char>(c));
    std::fclose(f);
    return bytes;
}

class FilesTest : public testing::Test {
  protected:
    void SetUp() override {
        work = std::make_unique<test_support::ScopedWorkDir>(false, "moxel-files");
        dir = work->dir().path();
        host_save_write_limit = nullptr;
    }
    void TearDown() override {
        host_save_write_limit = nullptr;
        host_state_saved = nullptr;
        work.reset();
    }

    // Names of temporaries a save left next to the state file.
    std::vector<std::string> LeftoverTemporaries() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) {
            std::string name = entry.path().filename().string();
            if (name.rfind(std::string(STATE_FILE_NAME) + ".", 0) == 0) names.push_back(name);
        }
        return names;
    }

    std::unique_ptr<test_support::ScopedWorkDir> work;
    fs::path dir;
};

TEST(FixDataPath, NamesGetTheDataPrefixAndAddressesPassUnchanged) {
    const struct {
        const char* path;
        const char* fixed;
    } cases[] = {
        {"common/icons.png", "vendle://data/common/icons.png"},
        {"sfx/001.wav", "vendle://data/sfx/001.wav"},
        {"./local.png", "./local.png"},
        {"/abs/x.png", "/abs/x.png"},
        {"vendle://data/a.png", "vendle://data/a.png"},
        {"vendle://internal/a.txt", "vendle://internal/a.txt"},
        {"C:/x.png", "C:/x.png"},
        // The colon is not followed by a slash.
        {"a:b/c", "vendle://data/a:b/c"},
        // A ":/" after the first slash is not a scheme or a drive.
        {"a/b:/c", "vendle://data/a/b:/c"},
        {".hidden", "vendle://data/.hidden"},
        {"", "vendle://data/"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8(bb_data_FixDataPath(String(c.path))), c.fixed) << c.path;
}

TEST_F(FilesTest, FopenFileMapsAddressesBelowTheWorkingDirectory) {
    WriteBytes("data/common/icons.png", "icons");
    WriteBytes("internal/i.txt", "internal");
    WriteBytes("external/e.txt", "external");
    WriteBytes("plain.txt", "plain");
    WriteBytes("other/x.txt", "other");
    WriteBytes("data/\xc3\xa9.txt", "accent");

    const struct {
        String path;
        const char* content;  // null: fopenFile gives null
    } cases[] = {
        {bb_data_FixDataPath(String("common/icons.png")), "icons"},
        {String("vendle://internal/i.txt"), "internal"},
        {String("vendle://external/e.txt"), "external"},
        {String("plain.txt"), "plain"},
        {String("./plain.txt"), "plain"},
        // A non-ASCII name reaches the file system as UTF-8.
        {String(u"vendle://data/\u00e9.txt"), "accent"},
        {String("vendle://other/x.txt"), nullptr},
        {String("vendle://data"), nullptr},
        {String("vendle://data/missing.png"), nullptr},
    };
    for (const auto& c : cases) {
        FILE* f = fopenFile(c.path, String("rb"));
        if (!c.content) {
            EXPECT_EQ(f, nullptr) << Utf8(c.path);
            if (f) std::fclose(f);
            continue;
        }
        ASSERT_NE(f, nullptr) << Utf8(c.path);
        EXPECT_EQ(ReadAndClose(f), c.content) << Utf8(c.path);
    }

    // The mode is passed through: a mapped address can be written.
    FILE* f = fopenFile(String("vendle://internal/new.txt"), String("wb"));
    ASSERT_NE(f, nullptr);
    std::fputs("new", f);
    std::fclose(f);
    EXPECT_EQ(ReadBytes("internal/new.txt"), "new");
}

TEST_F(FilesTest, LoadStringDecodesUtf8AndIsEmptyWhenMissing) {
    WriteBytes("data/text.txt", "caf\xc3\xa9");
    EXPECT_EQ(host_load_string(String("vendle://data/text.txt")), String(u"caf\u00e9"));
    EXPECT_EQ(host_load_string(String("vendle://data/none.txt")).Length(), 0);
    EXPECT_EQ(host_load_string(String("vendle://other/text.txt")).Length(), 0);
}

TEST_F(FilesTest, StateRoundTripsAsUtf8) {
    EXPECT_EQ(host_load_state().Length(), 0);

    EXPECT_EQ(host_save_state(String(u"\u00e9")), SAVE_OK);
    EXPECT_EQ(ReadBytes(STATE_FILE_NAME), "\xc3\xa9");
    EXPECT_EQ(host_load_state(), String(u"\u00e9"));

    // A shorter state replaces a longer one whole, with no tail left over.
    const String long_state = FromUtf8("12|34|56|\xe2\x82\xac|");
    EXPECT_EQ(host_save_state(long_state), SAVE_OK);
    EXPECT_EQ(host_load_state(), long_state);
    EXPECT_EQ(host_save_state(String("7|")), SAVE_OK);
    EXPECT_EQ(ReadBytes(STATE_FILE_NAME), "7|");

    EXPECT_EQ(host_save_state(String()), SAVE_OK);
    EXPECT_TRUE(fs::exists(STATE_FILE_NAME));
    EXPECT_EQ(fs::file_size(STATE_FILE_NAME), 0u);
    EXPECT_TRUE(LeftoverTemporaries().empty());
}

TEST_F(FilesTest, SavedStateFileHasTheUsualPermissions) {
    mode_t old_mask = umask(022);
    EXPECT_EQ(host_save_state(String("a|")), SAVE_OK);
    EXPECT_EQ(
        fs::status(STATE_FILE_NAME).permissions() & fs::perms::all,
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    // A mode the player chose survives a save.
    fs::permissions(STATE_FILE_NAME, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(host_save_state(String("b|")), SAVE_OK);
    EXPECT_EQ(fs::status(STATE_FILE_NAME).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    umask(old_mask);
}

TEST_F(FilesTest, ShortWriteKeepsThePreviousStateByteForByte) {
    const std::string previous_bytes = "1|2|3|\xc3\xa9|";
    WriteBytes(STATE_FILE_NAME, previous_bytes);

    const struct {
        const char* name;
        long (*limit)(long);
    } limits[] = {
        {"one byte short", [](long n) { return n - 1; }},
        {"nothing written", [](long) { return 0L; }},
        {"half written", [](long n) { return n / 2; }},
    };
    for (const auto& l : limits) {
        host_save_write_limit = l.limit;
        EXPECT_EQ(host_save_state(String("9|9|9|9|9|")), SAVE_SHORT_WRITE) << l.name;
        EXPECT_EQ(ReadBytes(STATE_FILE_NAME), previous_bytes) << l.name;
        EXPECT_TRUE(LeftoverTemporaries().empty()) << l.name;
    }
    host_save_write_limit = nullptr;
    EXPECT_EQ(host_load_state(), FromUtf8(previous_bytes));
}

TEST_F(FilesTest, StateThatCannotBeReplacedIsCannotOpenAndSaysWhy) {
    // A directory in the state file's place: the temporary is written but
    // cannot be renamed over it.
    fs::create_directory(STATE_FILE_NAME);
    WriteBytes(fs::path(STATE_FILE_NAME) / "inside", "kept");
    testing::internal::CaptureStderr();
    EXPECT_EQ(host_save_state(String("1|")), SAVE_CANNOT_OPEN);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Could not save the game to .vendlestate: Is a directory\n");
    EXPECT_EQ(ReadBytes(fs::path(STATE_FILE_NAME) / "inside"), "kept");
    EXPECT_TRUE(LeftoverTemporaries().empty());
    EXPECT_EQ(host_load_state().Length(), 0);
}

TEST_F(FilesTest, WorkingDirectoryThatIsGoneIsCannotOpen) {
    fs::create_directory("gone");
    fs::current_path("gone");
    fs::remove(dir / "gone");
    EXPECT_EQ(host_save_state(String("1|")), SAVE_CANNOT_OPEN);
    EXPECT_EQ(host_load_state().Length(), 0);
    fs::current_path(dir);
    EXPECT_TRUE(LeftoverTemporaries().empty());
}

TEST_F(FilesTest, SymbolicLinkIsSavedThroughToItsFile) {
    // A player who keeps the scores elsewhere links the state file to them.
    const fs::path elsewhere = dir / "elsewhere";
    const struct {
        const char* name;
        std::vector<std::pair<fs::path, fs::path>> links;  // link, what it names
        fs::path file;                                     // where the state lands
        bool made;                                         // the file is there before the save
    } cases[] = {
        {"relative", {{STATE_FILE_NAME, "scores/state"}}, dir / "scores/state", true},
        {"absolute", {{STATE_FILE_NAME, elsewhere / "state"}}, elsewhere / "state", true},
        {"relative to the link's folder",
         {{STATE_FILE_NAME, "scores/link"}, {"scores/link", "../elsewhere/state"}},
         elsewhere / "state",
         true},
        {"to a file not made yet", {{STATE_FILE_NAME, "scores/new"}}, dir / "scores/new", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all("scores");
        fs::remove_all(elsewhere);
        fs::create_directories("scores");
        fs::create_directories(elsewhere);
        fs::remove(STATE_FILE_NAME);
        for (const auto& [link, named] : c.links) fs::create_symlink(named, link);
        if (c.made) WriteBytes(c.file, "old|");

        EXPECT_EQ(host_save_state(String("new|")), SAVE_OK);
        EXPECT_TRUE(fs::is_symlink(STATE_FILE_NAME));
        EXPECT_EQ(ReadBytes(c.file), "new|");
        EXPECT_EQ(host_load_state(), String("new|"));
        for (const auto& entry : fs::directory_iterator(c.file.parent_path())) {
            EXPECT_EQ(entry.path().filename().string().rfind(c.file.filename().string() + ".", 0),
                      std::string::npos)
                << "a temporary was left: " << entry.path();
        }
    }

    // A loop of links names no file: the save fails and the links stay.
    fs::remove(STATE_FILE_NAME);
    fs::create_symlink("scores/loop", STATE_FILE_NAME);
    fs::create_symlink("../.vendlestate", "scores/loop");
    testing::internal::CaptureStderr();
    EXPECT_EQ(host_save_state(String("new|")), SAVE_CANNOT_OPEN);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Could not save the game to .vendlestate: Too many levels of symbolic links\n");
    EXPECT_TRUE(fs::is_symlink(STATE_FILE_NAME));
    EXPECT_TRUE(fs::is_symlink("scores/loop"));
}

// The kept game's file goes the state file's way (the same save, through
// links), is removed through them, and one set aside never replaces one set
// aside before it.
int changes = 0;
void count_change(int) {
    ++changes;
}

TEST_F(FilesTest, KeptGameFileIsSavedRemovedAndSetAsideThroughItsLinks) {
    std::string bytes;
    EXPECT_FALSE(host_load_file(KEPT_GAME_FILE_NAME, &bytes)) << "none yet";
    EXPECT_TRUE(host_remove_file(KEPT_GAME_FILE_NAME)) << "nothing to remove is no failure";

    host_state_saved = count_change;
    const std::string aside = std::string(KEPT_GAME_FILE_NAME) + SET_ASIDE_SUFFIX;
    EXPECT_EQ(host_save_file(KEPT_GAME_FILE_NAME, "game 1\n"), SAVE_OK);
    ASSERT_TRUE(host_load_file(KEPT_GAME_FILE_NAME, &bytes));
    EXPECT_EQ(bytes, "game 1\n");
    EXPECT_EQ(host_set_aside_file(KEPT_GAME_FILE_NAME), aside);
    EXPECT_EQ(host_save_file(KEPT_GAME_FILE_NAME, "game 2\n"), SAVE_OK);
    EXPECT_EQ(host_set_aside_file(KEPT_GAME_FILE_NAME), aside + "-2");
    EXPECT_EQ(ReadBytes(aside), "game 1\n") << "the first one set aside stays as it was";
    EXPECT_EQ(ReadBytes(aside + "-2"), "game 2\n");
    EXPECT_FALSE(fs::exists(KEPT_GAME_FILE_NAME));
    EXPECT_EQ(changes, 4) << "the browser writes every change through";
    host_state_saved = nullptr;

    // Through a link, as the browser keeps its saves in a folder of their own.
    fs::create_directories("save");
    fs::create_symlink("save/.vendlegame", KEPT_GAME_FILE_NAME);
    EXPECT_EQ(host_save_file(KEPT_GAME_FILE_NAME, "game 3\n"), SAVE_OK);
    EXPECT_EQ(ReadBytes("save/.vendlegame"), "game 3\n");
    EXPECT_EQ(host_set_aside_file(KEPT_GAME_FILE_NAME), std::string("save/.vendlegame") + SET_ASIDE_SUFFIX);
    EXPECT_TRUE(fs::is_symlink(KEPT_GAME_FILE_NAME)) << "the link stays where it is";
    EXPECT_EQ(host_save_file(KEPT_GAME_FILE_NAME, "game 4\n"), SAVE_OK);
    EXPECT_TRUE(host_remove_file(KEPT_GAME_FILE_NAME));
    EXPECT_FALSE(fs::exists("save/.vendlegame"));
    EXPECT_TRUE(fs::is_symlink(KEPT_GAME_FILE_NAME));
    EXPECT_EQ(ReadBytes(std::string("save/.vendlegame") + SET_ASIDE_SUFFIX), "game 3\n");
}

// ---------------------------------------------------------------------------
// Permissions, checked as a player without privileges: root writes through
// any permission bits, and CI runs as root.

// The player's folder and its stderr, relative to the folder a body runs in.
const char* const CHILD_STDERR = "../stderr";

// Runs `body` in a forked child as an unprivileged player (uid and gid 65534
// when the suite runs as root, the current user otherwise), in a fresh folder
// of its own that this player can reach, with stderr going to CHILD_STDERR.
// The body returns what went wrong, empty when nothing did.
std::string AsUnprivilegedPlayer(std::string (*body)()) {
    int out[2];
    if (pipe(out) != 0) return "no pipe";
    pid_t child = fork();
    if (child == 0) {
        close(out[0]);
        std::string failure;
        char top[] = "/tmp/moxel-player-XXXXXX";
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(NOBODY) != 0 || setuid(NOBODY) != 0)) {
            failure = "cannot become uid 65534";
        } else if (!mkdtemp(top)) {
            failure = "cannot make a folder in /tmp";
        } else {
            const fs::path game = fs::path(top) / "game";
            fs::create_directory(game);
            fs::current_path(game);
            int err = open(CHILD_STDERR, O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (err < 0 || dup2(err, STDERR_FILENO) < 0) failure = "cannot redirect stderr";
            if (failure.empty()) failure = body();
            fs::current_path(top);
            std::error_code ignored;
            fs::permissions(game, fs::perms::owner_all, fs::perm_options::add, ignored);
            fs::remove_all(top, ignored);
        }
        if (!failure.empty() && write(out[1], failure.data(), failure.size()) < 0) _exit(2);
        _exit(0);
    }
    close(out[1]);
    std::string failure;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        failure.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        failure += " (the player's process failed)";
    return failure;
}

// What the player's stderr holds so far.
std::string PlayerStderr() {
    std::fflush(stderr);
    return ReadBytes(CHILD_STDERR);
}

// The saved file's content against what it must be, as a failure text.
std::string Expect(const std::string& what, const std::string& got, const std::string& wanted) {
    return got == wanted ? "" : what + ": got \"" + got + "\", wanted \"" + wanted + "\"\n";
}

TEST(FilePermissions, StateFileThePlayerCannotWriteIsLeftAlone) {
    EXPECT_EQ(AsUnprivilegedPlayer([] {
                  WriteBytes(STATE_FILE_NAME, "old|");
                  fs::permissions(STATE_FILE_NAME,
                                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
                  std::string failures;
                  failures += Expect("result", std::to_string(host_save_state(String("new|"))),
                                     std::to_string(SAVE_CANNOT_OPEN));
                  failures += Expect("state", ReadBytes(STATE_FILE_NAME), "old|");
                  failures += Expect(
                      "files in the folder",
                      std::to_string(std::distance(fs::directory_iterator("."), fs::directory_iterator())),
                      "1");
                  failures += Expect("stderr", PlayerStderr(),
                                     "Could not save the game to .vendlestate: Permission denied\n");
                  return failures;
              }),
              "");
}

TEST(FilePermissions, FolderThatTakesNoNewFilesIsSavedInPlace) {
    // A shared or read-only game folder with a state file that is the player's.
    EXPECT_EQ(AsUnprivilegedPlayer([] {
                  WriteBytes(STATE_FILE_NAME, "older and longer|");
                  fs::permissions(".", fs::perms::owner_read | fs::perms::owner_exec);
                  std::string failures;
                  failures += Expect("result", std::to_string(host_save_state(String("new|"))),
                                     std::to_string(SAVE_OK));
                  failures += Expect("state", ReadBytes(STATE_FILE_NAME), "new|");
                  failures += Expect("stderr", PlayerStderr(), "");

                  // A short write there is reported as everywhere else.
                  host_save_write_limit = [](long n) { return n - 1; };
                  failures += Expect("short write", std::to_string(host_save_state(String("next|"))),
                                     std::to_string(SAVE_SHORT_WRITE));
                  host_save_write_limit = nullptr;

                  // With no state file there is nothing to write in place.
                  fs::permissions(".", fs::perms::owner_all);
                  fs::remove(STATE_FILE_NAME);
                  fs::permissions(".", fs::perms::owner_read | fs::perms::owner_exec);
                  failures += Expect("no state file", std::to_string(host_save_state(String("new|"))),
                                     std::to_string(SAVE_CANNOT_OPEN));
                  return failures;
              }),
              "");
}

}  // namespace
