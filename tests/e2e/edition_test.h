#pragma once

// What every end-to-end test file shares: a working directory named after the
// running case, and the fixture of the cases that run once per edition.

#include <gtest/gtest.h>

#include <string>

#include "driver.h"

namespace e2e {

// A fresh working directory named after the running case (and what, if given),
// so that a failed case's files stay apart from the others'.
inline std::string TestDir(const std::string& what = "") {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  if (!what.empty()) name += "-" + what;
  for (char& c : name) {
    if (c == '/') c = '-';
  }
  return MakeWorkDir(name);
}

class EditionTest : public ::testing::TestWithParam<const Program*> {
 protected:
  const Program& edition() const { return *GetParam(); }
};

}  // namespace e2e

#define E2E_FOR_BOTH_EDITIONS(suite)                                                \
  INSTANTIATE_TEST_SUITE_P(Editions, suite, ::testing::Values(&e2e::kFull, &e2e::kLite), \
                           [](const auto& info) { return std::string(info.param->name); })
