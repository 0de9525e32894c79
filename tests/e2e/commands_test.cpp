// Every menu command's effect on the running programs, sent as the menu
// sends it: a WM_COMMAND to the character window or, from the tray icon's
// menu, to the shadow window.
#include <algorithm>

#include "edition_test.h"

using namespace e2e;

namespace {

class CommandsTest : public EditionTest {};

TEST_P(CommandsTest, SizesResizeAndReshapeBothWindows) {
  const std::string dir = TestDir();
  Conf conf;
  conf.x = 200;
  conf.y = 20;
  Running app = Launch(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  ASSERT_TRUE(Send(app.main, WM_COMMAND, kSizeX1));
  const Outline one = ReadOutline(app.main);
  ASSERT_EQ(one.width, 88);
  ASSERT_GT(one.Area(), 0);

  // Repeats stand for choosing the size already checked; the shadow window
  // takes the command the way the tray icon's menu sends it.
  const int factors[] = {4, 4, 10, 7, 7, 2, 3, 5, 6, 8, 9, 1};
  const int max_scale = edition().layered ? 10 : 5;
  int index = 0;
  int s = 1;
  for (int factor : factors) {
    SCOPED_TRACE("x" + std::to_string(factor));
    HWND target = index++ % 2 ? app.shadow : app.main;
    ASSERT_TRUE(Send(target, WM_COMMAND, kSizeX1 + factor - 1));
    s = std::min(factor, max_scale);
    EXPECT_EQ(ReadWindow(app.main).rect, Rect(conf.x, conf.y, 88 * s, 80 * s));
    EXPECT_TRUE(ReadOutline(app.main) == Magnify(one, s)) << "character outline not at x" << s;
    if (edition().layered) {
      // The shadow keeps 3 scaled pixels of offset and the same outline.
      EXPECT_EQ(ReadWindow(app.shadow).rect, Rect(conf.x + 3 * s, conf.y + 3 * s, 88 * s, 80 * s));
      EXPECT_TRUE(ReadOutline(app.shadow) == Magnify(one, s)) << "shadow outline not at x" << s;
    }
  }
  EXPECT_EQ(CloseAndWait(app), 0);
  Conf saved = conf;
  saved.viewscale = s;
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), saved.Text());
}

// Under Wine the band is only seen on the character window (Wine marks the
// owned window, not the shadow that owns it), and once set there it stays:
// Wine does not take an owned window out of the band again, where Windows
// does. What can be seen is checked; the setting itself goes to the file.
TEST_P(CommandsTest, TopmostPutsTheCharacterInTheBandAndIsKept) {
  const std::string dir = TestDir();
  Conf conf;
  conf.topmost = 0;
  Running app = Launch(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  auto topmost = [&] { return (ReadWindow(app.main).ex_style & WS_EX_TOPMOST) != 0; };
  EXPECT_FALSE(topmost());
  ASSERT_TRUE(Send(app.main, WM_COMMAND, kTopmost));
  EXPECT_TRUE(topmost());
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadConf(dir).topmost, 1);

  // Off again from the tray icon's menu.
  app = Launch(edition(), dir);
  ASSERT_TRUE(app.main);
  EXPECT_TRUE(topmost());
  ASSERT_TRUE(Send(app.shadow, WM_COMMAND, kTopmost));
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadConf(dir).topmost, 0);
}

// Rows of the bubble, scale-1 window pixels: the date; the seconds of the
// 24-hour clock (the 12-hour clock leaves this corner to its AM/PM mark
// lower down); the digits of the next alarm.
constexpr RECT kDateRow = {1, 4, 54, 9};
constexpr RECT kSeconds = {37, 10, 52, 14};
constexpr RECT kAlarmDigits = {29, 18, 52, 23};

struct Face {
  bool date, seconds, alarm;
};

Face ReadFace(HWND main, int s) {
  const Surface p = Capture(main);
  return {CountDark(p, s, kDateRow) > 0, CountDark(p, s, kSeconds) > 0,
          CountDark(p, s, kAlarmDigits) > 0};
}

// The display's own drawing may reach the screen a moment after the program
// returns from the command; a short wait allows for that.
void ExpectFace(HWND main, int s, Face want) {
  Face got = {};
  WaitUntil([&] {
    got = ReadFace(main, s);
    return got.date == want.date && got.seconds == want.seconds && got.alarm == want.alarm;
  }, 500);
  EXPECT_EQ(got.date, want.date) << "date row";
  EXPECT_EQ(got.seconds, want.seconds) << "24-hour seconds";
  EXPECT_EQ(got.alarm, want.alarm) << "alarm row";
}

TEST_P(CommandsTest, DisplayCommandsRepaintTheBubbleAtOnce) {
  const std::string dir = TestDir();
  WriteAlarms(JoinPath(dir, kAlarmName), {SecondOfDay(LocalNow()) + 12 * 3600});
  Conf conf;
  Running app = Launch(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  const int s = conf.viewscale;
  ExpectFace(app.main, s, {true, false, false});

  // The character's menu holds the frame timer still, so only the command's
  // own paint can change the picture.
  HWND menu = OpenCharacterMenu(app, {conf.x + 70 * s, conf.y + 70 * s});
  ASSERT_TRUE(menu);
  const struct {
    int id;
    HWND target;
    Face face;
  } steps[] = {
      {kCalendar, app.main, {false, false, false}},
      {kHour24, app.main, {false, true, false}},
      {kAlarmDisplay, app.shadow, {false, true, true}},
      {kCalendar, app.shadow, {true, true, true}},
      {kHour24, app.shadow, {true, false, true}},
      {kAlarmDisplay, app.main, {true, false, false}},
      {kAlarmDisplay, app.main, {true, false, true}},
  };
  int step = 0;
  for (const auto& st : steps) {
    SCOPED_TRACE("step " + std::to_string(++step) + ", command " + std::to_string(st.id));
    ASSERT_TRUE(Send(st.target, WM_COMMAND, st.id));
    ExpectFace(app.main, s, st.face);
  }
  EXPECT_TRUE(DriveMenu(app, menu, {VK_ESCAPE}));
  EXPECT_EQ(CloseAndWait(app), 0);
  conf.alerm = 1;
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), conf.Text());
}

TEST_P(CommandsTest, AlarmDisplayOffStopsARunningAlarm) {
  const std::string dir = TestDir();
  Outline idle;
  Running app = LaunchWithAlarmAhead(edition(), dir, Conf(), 2, &idle);
  ASSERT_TRUE(app.main);
  if (edition().layered) ASSERT_NE(ReadOutline(app.main), idle) << "the alarm did not ring";

  ASSERT_TRUE(Send(app.main, WM_COMMAND, kAlarmDisplay));
  // Back to the folded arms at once, and no menu is refused any more.
  if (edition().layered) {
    EXPECT_TRUE(WaitUntil([&] { return ReadOutline(app.main) == idle; }, 1000));
  }
  HWND menu = OpenCharacterMenu(app, {Conf().x + 140, Conf().y + 140});
  EXPECT_TRUE(menu) << "the alarm still runs";
  if (menu) EXPECT_TRUE(DriveMenu(app, menu, {VK_ESCAPE}));
  if (edition().layered) EXPECT_EQ(ReadOutline(app.main), idle);
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadConf(dir).alerm, 0);
}

E2E_FOR_BOTH_EDITIONS(CommandsTest);

// The sound and play-time choices do not differ between the editions; each
// row is a start, the commands in that order, and Exit.
TEST(SoundCommandsTest, ChoicesAreKeptInTheSettings) {
  struct Row {
    int sd, al_time;  // at start
    std::vector<int> commands;
    int want_sd, want_al_time;
  };
  const Row rows[] = {
      {0, 0, {40046, 40055}, 1, 1},  // OK, 10 s
      {1, 1, {40056}, 1, 2},         // 30 s
      {1, 2, {40057}, 1, 3},         // 60 s
      {2, 3, {40051, 40059}, 0, 0},  // LAUGH, 5 s; the chosen file is kept
      {3, 0, {40046, 40051}, 0, 0},  // the last choice counts
  };
  int index = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE("row " + std::to_string(index));
    const std::string dir = TestDir(std::to_string(index++));
    Conf conf;
    conf.sd = row.sd;
    conf.al_time = row.al_time;
    conf.sd_file = "C:\\Sounds\\bell.wav";
    Running app = Launch(kFull, dir, conf);
    ASSERT_TRUE(app.main);
    int n = 0;
    for (int id : row.commands) ASSERT_TRUE(Send(n++ % 2 ? app.shadow : app.main, WM_COMMAND, id));
    EXPECT_EQ(CloseAndWait(app), 0);
    Conf saved = conf;
    saved.sd = row.want_sd;
    saved.al_time = row.want_al_time;
    EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), saved.Text());
  }
}

}  // namespace
