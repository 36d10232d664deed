// Temporary folders for tests: a fresh folder under the system's temporary
// folder that is removed with everything in it, and the same folder made the
// working directory (with the generated data linked in) for as long as it
// lives. Nothing a test writes lands in the checkout, and test runs side by
// side never share a file.
#ifndef MOXEL_TESTS_SUPPORT_TEMP_DIR_H
#define MOXEL_TESTS_SUPPORT_TEMP_DIR_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace test_support {

// ---- TempDir ----

// A fresh folder named `stem`-XXXXXX, removed with its contents when destroyed.
class TempDir {
  public:
    explicit TempDir(const std::string& stem = "moxel-test") {
        std::string pattern = (std::filesystem::temp_directory_path() / (stem + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "cannot make a temporary folder " << pattern;
            return;
        }
        path_ = pattern;
    }
    ~TempDir() {
        if (path_.empty()) return;
        // A test may have taken its own permissions away to see a save fail.
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    // The bytes of a file in the folder; empty when it is missing.
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Writes a file (and the folders above it) and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const {
        return write(name, bytes.data(), bytes.size());
    }
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        return write(name, reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }

  private:
    std::string write(const std::string& name, const char* bytes, size_t size) const {
        const std::string p = file(name);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out.write(bytes, static_cast<std::streamsize>(size));
        if (!out) ADD_FAILURE() << "cannot write " << p;
        return p;
    }

    std::string path_;
};

// ---- ScopedWorkDir ----

// Runs the test in a fresh working directory, so the state file it reads and
// writes is its own. With `with_data`, the data folder of the directory it
// started in is linked in, so images and the font still load. The old working
// directory is restored at the end.
class ScopedWorkDir {
  public:
    explicit ScopedWorkDir(bool with_data = true, const std::string& stem = "moxel-work")
        : previous_(std::filesystem::current_path()), dir_(stem) {
        std::error_code ignored;
        if (with_data)
            std::filesystem::create_directory_symlink(previous_ / "data", dir_.file("data"), ignored);
        std::filesystem::current_path(dir_.path());
    }
    ~ScopedWorkDir() {
        std::error_code failed;
        std::filesystem::current_path(previous_, failed);
        if (failed) ADD_FAILURE() << "cannot return to " << previous_;
    }
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;

    const TempDir& dir() const { return dir_; }

  private:
    std::filesystem::path previous_;
    TempDir dir_;
};

}  // namespace test_support

#endif
