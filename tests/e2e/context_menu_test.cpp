// The context menu of the running programs: opened by a right click on the
// character or on the tray icon, driven by keys, and never during an alarm.
#include "edition_test.h"

using namespace e2e;

namespace {

// The time row of the bubble, scale-1 window pixels; with the 24-hour clock
// its seconds change every second while the character is painted.
constexpr RECT kTimeRow = {1, 10, 54, 17};

class ContextMenuTest : public EditionTest {};

std::vector<uint32_t> TimeRow(HWND main, int scale) {
  return Crop(Capture(main), scale, kTimeRow);
}

// Over the character's legs, right of the bubble, so that the menu opening
// from here leaves the clock uncovered.
POINT OverCharacter(const Conf& conf) {
  const int s = conf.viewscale;
  return {conf.x + 70 * s, conf.y + 70 * s};
}

TEST_P(ContextMenuTest, CharacterMenuHoldsTheCharacterStillUntilEscape) {
  const std::string dir = TestDir();
  Conf conf;
  conf.hour24 = 1;
  Running app = Launch(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  const int s = conf.viewscale;
  const POINT at = OverCharacter(conf);
  HWND menu = OpenCharacterMenu(app, at);
  ASSERT_TRUE(menu) << "no popup menu opened";
  // Rises from the cursor, to its right.
  const RECT r = ReadWindow(menu).rect;
  EXPECT_EQ(r.left, at.x);
  EXPECT_EQ(r.bottom, at.y);

  // Across a second boundary the clock stays as it was.
  const std::vector<uint32_t> before = TimeRow(app.main, s);
  Sleep(1300);
  EXPECT_EQ(TimeRow(app.main, s), before) << "the clock moved while the menu was open";

  ASSERT_TRUE(DriveMenu(app, menu, {VK_ESCAPE}));
  EXPECT_TRUE(WaitUntil([&] { return TimeRow(app.main, s) != before; }, 2500))
      << "the clock did not move again after the menu closed";

  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), conf.Text());
}

TEST_P(ContextMenuTest, TrayMenuLeavesTheCharacterMovingUntilEscape) {
  const std::string dir = TestDir();
  Conf conf;
  conf.hour24 = 1;
  // Under Wine the tray icon's click raises the shadow over the clock.
  conf.shadow = 0;
  Running app = Launch(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  const int s = conf.viewscale;
  const POINT at = {1100, 900};
  PutCursor(at);
  HWND menu = OpenTrayMenu(app);
  ASSERT_TRUE(menu) << "no popup menu opened";
  // Rises from the cursor, to its left.
  const RECT r = ReadWindow(menu).rect;
  EXPECT_EQ(r.right, at.x);
  EXPECT_EQ(r.bottom, at.y);

  const std::vector<uint32_t> before = TimeRow(app.main, s);
  EXPECT_TRUE(WaitUntil([&] { return TimeRow(app.main, s) != before; }, 2500))
      << "the clock stood still while the tray menu was open";

  ASSERT_TRUE(DriveMenu(app, menu, {VK_ESCAPE}));
  // Neither opening nor closing the menu stores the program.
  EXPECT_TRUE(ReadWindow(app.main).visible);
  EXPECT_FALSE(ReadWindow(app.shadow).iconic);
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), conf.Text());
}

TEST_P(ContextMenuTest, NoMenuDuringAnAlarm) {
  Outline idle;
  Running app = LaunchWithAlarmAhead(edition(), TestDir(), Conf(), 2, &idle);
  ASSERT_TRUE(app.main);
  if (edition().layered) ASSERT_NE(ReadOutline(app.main), idle) << "the alarm did not ring";

  EXPECT_FALSE(OpenCharacterMenu(app, OverCharacter(Conf()), 800))
      << "the character's menu opened during the alarm";
  EXPECT_FALSE(OpenTrayMenu(app, 1)) << "the tray icon's menu opened during the alarm";

  // A double click on the tray icon stops it and leaves the character shown;
  // then the menu opens again.
  EXPECT_TRUE(Send(app.shadow, kTrayMessage, kTrayIcon, WM_LBUTTONDBLCLK));
  if (edition().layered) {
    EXPECT_TRUE(WaitUntil([&] { return ReadOutline(app.main) == idle; }, 2000));
  }
  EXPECT_TRUE(ReadWindow(app.main).visible);
  HWND menu = OpenCharacterMenu(app, OverCharacter(Conf()));
  EXPECT_TRUE(menu) << "no menu after the alarm was stopped";
  if (menu) EXPECT_TRUE(DriveMenu(app, menu, {VK_ESCAPE}));
  EXPECT_EQ(CloseAndWait(app), 0);
}

// The whole way a user takes: the menu, the keys, the command.
TEST_P(ContextMenuTest, KeysChooseASizeFromTheCharacterMenu) {
  const std::string dir = TestDir();
  Conf conf;
  Running app = Launch(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  HWND menu = OpenCharacterMenu(app, OverCharacter(conf));
  ASSERT_TRUE(menu);
  // Display, Size; into it; x1, x2, x3.
  EXPECT_TRUE(DriveMenu(app, menu, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}));
  EXPECT_TRUE(WaitUntil([&] { return ReadWindow(app.main).rect == Rect(100, 100, 264, 240); }, 3000))
      << "x3 was not applied";
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadConf(dir).viewscale, 3);
}

E2E_FOR_BOTH_EDITIONS(ContextMenuTest);

}  // namespace
