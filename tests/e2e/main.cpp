#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "driver.h"

namespace {

class Stragglers : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override { e2e::KillStragglers(); }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Every check of a text expects the language the locale asks for.
  const std::string problem = e2e::DesktopLanguageProblem();
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
  }
  ::testing::UnitTest::GetInstance()->listeners().Append(new Stragglers);
  return RUN_ALL_TESTS();
}
