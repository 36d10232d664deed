// Every test of a game test process runs in a fresh working directory of its
// own with the data linked in, so a test that saves (the state file, a kept
// game) never leaves a file for the tests after it, whether the tests run one
// process each (ctest) or all in one.
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/temp_dir.h"

namespace {

class FreshWorkDir : public testing::EmptyTestEventListener {
  public:
    void OnTestStart(const testing::TestInfo&) override {
        dir_ = std::make_unique<test_support::ScopedWorkDir>();
    }
    void OnTestEnd(const testing::TestInfo&) override { dir_.reset(); }

  private:
    std::unique_ptr<test_support::ScopedWorkDir> dir_;
};

// Listeners are owned by the test program once appended.
const bool fresh_work_dir = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new FreshWorkDir);
    return true;
}();

}  // namespace
