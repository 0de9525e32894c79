#pragma once

#include <gtest/gtest.h>

#include "tests/linux/driver.h"

// Every test leaves nothing running behind it, failed or not, and fails when
// a program it started printed a warning or a critical of GLib, GDK or GTK:
// each is a fault of the program's, whatever the desktop.
class Linux : public ::testing::Test {
 protected:
  void TearDown() override {
    lx::KillStragglers();
    EXPECT_EQ(lx::ProgramWarnings(), "");
  }
  // A fresh directory named after the test.
  static std::string Dir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return lx::MakeWorkDir(std::string(info->test_suite_name()) + "." + info->name());
  }
};
