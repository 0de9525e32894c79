#include <gtest/gtest.h>

#include "driver.h"

namespace {

class Stragglers : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override { e2e::KillStragglers(); }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new Stragglers);
  return RUN_ALL_TESTS();
}
