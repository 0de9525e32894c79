// The context menu of the running programs: opened by a right click on the
// character or on the tray icon, driven by keys, and never during an alarm.
#include <gtest/gtest.h>

#include "driver.h"
#include "ui_driver.h"

using namespace e2e;

namespace {

// The time row of the bubble, scale-1 window pixels; with the 24-hour clock
// its seconds change every second while the character is painted.
constexpr RECT kTimeRow = {1, 10, 54, 17};

class ContextMenuTest : public ::testing::TestWithParam<const Edition*> {
 protected:
  const Edition& edition() const { return *GetParam(); }
  std::string Dir(const std::string& what) const {
    return MakeWorkDir(std::string(edition().name) + "-menu-" + what);
  }
};

std::vector<uint32_t> TimeRow(HWND main, int scale) {
  return Crop(Capture(main), scale, kTimeRow);
}

// Over the character's legs, right of the bubble, so that the menu opening
// from here leaves the clock uncovered.
POINT OverCharacter(const Conf& conf) {
  const int s = conf.viewscale;
  return {conf.x + 70 * s, conf.y + 70 * s};
}

void RightClickCharacter(const Running& app, const Conf& conf, POINT at) {
  PutCursor(at.x, at.y);
  PostMessageA(app.main, WM_RBUTTONUP, 0, MAKELPARAM(at.x - conf.x, at.y - conf.y));
}

TEST_P(ContextMenuTest, CharacterMenuHoldsTheCharacterStillUntilEscape) {
  const std::string dir = Dir("character");
  Conf conf;
  conf.hour24 = 1;
  Running app = LaunchWith(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  const int s = conf.viewscale;
  const POINT at = OverCharacter(conf);
  RightClickCharacter(app, conf, at);

  HWND menu = WaitForMenu(app.process, 3000);
  ASSERT_TRUE(menu) << "no popup menu opened";
  RECT r = {};
  GetWindowRect(menu, &r);
  // Rises from the cursor, to its right.
  EXPECT_EQ(r.left, at.x);
  EXPECT_EQ(r.bottom, at.y);

  // Across a second boundary the clock stays as it was.
  const std::vector<uint32_t> before = TimeRow(app.main, s);
  Sleep(1300);
  EXPECT_EQ(TimeRow(app.main, s), before) << "the clock moved while the menu was open";

  PressKey(menu, VK_ESCAPE);
  ASSERT_TRUE(WaitForNoMenu(app.process, 3000));
  EXPECT_TRUE(WaitUntil([&] { return TimeRow(app.main, s) != before; }, 2500))
      << "the clock did not move again after the menu closed";

  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), conf.Text());
}

TEST_P(ContextMenuTest, TrayMenuLeavesTheCharacterMovingUntilEscape) {
  const std::string dir = Dir("tray");
  Conf conf;
  conf.hour24 = 1;
  // Under Wine the tray icon's click raises the shadow over the clock.
  conf.shadow = 0;
  Running app = LaunchWith(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  const int s = conf.viewscale;
  const POINT at = {1100, 900};
  PutCursor(at.x, at.y);
  HWND menu = OpenTrayMenu(app);
  ASSERT_TRUE(menu) << "no popup menu opened";
  RECT r = {};
  GetWindowRect(menu, &r);
  // Rises from the cursor, to its left.
  EXPECT_EQ(r.right, at.x);
  EXPECT_EQ(r.bottom, at.y);

  const std::vector<uint32_t> before = TimeRow(app.main, s);
  EXPECT_TRUE(WaitUntil([&] { return TimeRow(app.main, s) != before; }, 2500))
      << "the clock stood still while the tray menu was open";

  PressKey(menu, VK_ESCAPE);
  ASSERT_TRUE(WaitForNoMenu(app.process, 3000));
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), conf.Text());
}

TEST_P(ContextMenuTest, NoMenuDuringAnAlarm) {
  const std::string dir = Dir("alarm");
  Outline idle;
  Running app = LaunchWithAlarmAhead(edition(), dir, Conf(), 2, &idle);
  ASSERT_TRUE(app.main);
  if (edition().layered) ASSERT_NE(ReadOutline(app.main), idle) << "the alarm did not ring";

  RightClickCharacter(app, Conf(), OverCharacter(Conf()));
  PostTray(app.shadow, WM_RBUTTONUP);
  EXPECT_FALSE(WaitForMenu(app.process, 800)) << "a menu opened during the alarm";

  // A double click on the tray icon stops it and leaves the character shown;
  // then the menu opens again.
  EXPECT_TRUE(SendTray(app.shadow, WM_LBUTTONDBLCLK));
  if (edition().layered) EXPECT_TRUE(WaitForOutline(app.main, idle, true, 2000));
  EXPECT_TRUE(IsWindowVisible(app.main));
  RightClickCharacter(app, Conf(), OverCharacter(Conf()));
  HWND menu = WaitForMenu(app.process, 3000);
  EXPECT_TRUE(menu) << "no menu after the alarm was stopped";
  if (menu) PressKey(menu, VK_ESCAPE);
  EXPECT_TRUE(WaitForNoMenu(app.process, 3000));
  EXPECT_EQ(CloseAndWait(app), 0);
}

// The whole way a user takes: the menu, the keys, the command.
TEST_P(ContextMenuTest, KeysChooseASizeFromTheCharacterMenu) {
  const std::string dir = Dir("keys");
  Conf conf;
  Running app = LaunchWith(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  RightClickCharacter(app, conf, OverCharacter(conf));
  HWND menu = WaitForMenu(app.process, 3000);
  ASSERT_TRUE(menu);
  // Display, Size; into it; x1, x2, x3.
  for (UINT vk : {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}) {
    PressKey(menu, vk);
    Sleep(50);
  }
  EXPECT_TRUE(WaitForNoMenu(app.process, 3000));
  EXPECT_TRUE(WaitUntil([&] {
    RECT r = ReadWindow(app.main).rect;
    return r.right - r.left == 264 && r.bottom - r.top == 240;
  }, 3000)) << "x3 was not applied";
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadConf(dir).conf.viewscale, 3);
}

INSTANTIATE_TEST_SUITE_P(Editions, ContextMenuTest, ::testing::Values(&kFull, &kLite),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
