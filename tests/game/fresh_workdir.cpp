// Every game test process runs in a fresh working directory with the data
// linked in, so a test that saves never leaves a state file for later ones.
#include <gtest/gtest.h>

#include <memory>

#include "tests/game/shell_fixture.h"

namespace {

class FreshWorkDir : public testing::Environment {
  public:
    void SetUp() override { dir_ = std::make_unique<shell_test::ScopedWorkDir>(); }
    void TearDown() override { dir_.reset(); }

  private:
    std::unique_ptr<shell_test::ScopedWorkDir> dir_;
};

const testing::Environment* const fresh_work_dir = testing::AddGlobalTestEnvironment(new FreshWorkDir);

}  // namespace
