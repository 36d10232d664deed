// Every game test process runs in a fresh working directory with the data
// linked in, so a test that saves never leaves a state file for later ones.
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/temp_dir.h"

namespace {

class FreshWorkDir : public testing::Environment {
  public:
    void SetUp() override { dir_ = std::make_unique<test_support::ScopedWorkDir>(); }
    void TearDown() override { dir_.reset(); }

  private:
    std::unique_ptr<test_support::ScopedWorkDir> dir_;
};

const testing::Environment* const fresh_work_dir = testing::AddGlobalTestEnvironment(new FreshWorkDir);

}  // namespace
