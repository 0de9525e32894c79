// The shell's rules over a fake window system: screen clamps, dragging, the
// paint pacing and its skipped transfers, and the order of a re-shape.
#include "shell/events.h"
#include "shell/tray.h"
#include "shell/windows.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "behaviour/alarm_list.h"
#include "behaviour/behaviour.h"
#include "resources/resource_ids.h"
#include "shell/startup.h"
#include "shell/commands.h"
#include "shell_fake.h"

namespace {

TEST(ShellTest, ClampAfterShrinkKeepsTheWindowOnTheVirtualScreen) {
  struct Row {
    ScreenRect screen;
    ScreenRect window;
    ScreenPoint want;
  };
  const Row rows[] = {
      {{0, 0, 800, 600}, {1000, 900, 176, 160}, {624, 440}},     // beyond right and bottom
      {{0, 0, 800, 600}, {-50, -20, 176, 160}, {0, 0}},          // left of and above 0
      {{0, 0, 100, 600}, {30, 10, 176, 160}, {-76, 10}},         // narrower than the window
      {{-1920, 0, 3200, 1080}, {-1800, 50, 176, 160}, {-1800, 50}},  // monitor on the left
      {{-1920, -300, 3200, 1380}, {-2500, -400, 176, 160}, {-1920, -300}},
  };
  for (const Row& r : rows) {
    const ScreenPoint got = ClampToScreen(r.screen, r.window);
    EXPECT_EQ(got.x, r.want.x) << r.window.left;
    EXPECT_EQ(got.y, r.want.y) << r.window.top;
  }

  // Only a shrink is recorded; growing and shrinking back to the recorded
  // size moves nothing.
  Rig rig;
  rig.shell.main = {1200, 100, 176, 160};
  rig.shell.screen = {0, 0, 1600, 1024};
  TimerFired(rig.app, 12345);
  rig.shell.screen = {0, 0, 1280, 1024};
  TimerFired(rig.app, 12345);
  EXPECT_EQ(rig.shell.main.left, 1200);
  rig.shell.screen = {0, 0, 1280, 1000};
  TimerFired(rig.app, 12345);
  EXPECT_EQ(rig.shell.main.left, 1104);
  EXPECT_EQ(rig.app.screen_height, 1000);
}

// A 2560 x 1440 screen above a 1920 x 1080 laptop, each with a panel at its
// foot: a window in the holes of their bounding box goes into the work area
// of the nearer one; one that meets either stays, partly off or not.
TEST(ShellTest, AWindowOnNoMonitorGoesToTheNearestOnesWorkArea) {
  const std::vector<Monitor> monitors = {{{0, 0, 2560, 1440}, {0, 0, 2560, 1400}},
                                         {{0, 1440, 1920, 1080}, {0, 1440, 1920, 1040}}};
  struct Row {
    ScreenRect window;
    ScreenPoint want;
  };
  const Row rows[] = {
      {{2200, 1700, 176, 160}, {2200, 1240}},  // 260 below the big one, 280 right of the laptop
      {{2300, 2300, 176, 160}, {1744, 2300}},  // nearer the laptop
      {{1900, 1500, 176, 160}, {1900, 1500}},  // meets the laptop: stays
      {{-100, -50, 176, 160}, {-100, -50}},    // meets the big one: stays
      {{5000, -900, 176, 160}, {2384, 0}},     // far off: the nearest corner of the big one
  };
  for (const Row& r : rows) {
    const ScreenPoint got = PlaceOnMonitors(monitors, r.window);
    EXPECT_EQ(got.x, r.want.x) << r.window.left << "," << r.window.top;
    EXPECT_EQ(got.y, r.want.y) << r.window.left << "," << r.window.top;
  }
  EXPECT_EQ(PlaceOnMonitors({}, {9000, 9000, 176, 160}).x, 9000) << "no monitors told";

  // At start from the saved place, and when the monitors change under it.
  Rig rig;
  rig.shell.monitors = monitors;
  rig.shell.main = {2200, 1700, 176, 160};
  MonitorsChanged(rig.app);
  EXPECT_EQ(rig.shell.main, (ScreenRect{2200, 1240, 176, 160}));
}

TEST(ShellTest, DragFollowsTheCursorUntilAnyOfItsEndings) {
  Rig rig;
  App& app = rig.app;
  FakeShell& shell = rig.shell;

  rig.settings.move_lock = true;
  PressLeft(app, 10, 20);
  EXPECT_FALSE(app.dragging || shell.captured);
  rig.settings.move_lock = false;

  enum Ending { LeftUp, RightUp, Deactivate };
  for (Ending ending : {LeftUp, RightUp, Deactivate}) {
    shell.main = {100, 100, 176, 160};
    PressLeft(app, 10, 20);
    EXPECT_TRUE(app.dragging && shell.captured);
    shell.cursor = {-300, 55};  // off the screen is allowed
    MoveMouse(app);
    EXPECT_EQ(shell.main.left, -310);
    EXPECT_EQ(shell.main.top, 35);
    if (ending == LeftUp) ReleaseLeftOrMiddle(app);
    if (ending == RightUp) {
      EXPECT_FALSE(ReleaseRight(app)) << "no menu after a drag";
    }
    if (ending == Deactivate) Deactivated(app);
    EXPECT_FALSE(app.dragging || shell.captured) << ending;
    shell.cursor = {500, 500};
    MoveMouse(app);
    EXPECT_EQ(shell.main.left, -310) << ending;
  }
  EXPECT_TRUE(ReleaseRight(app));
  app.behaviour.mode = Mode::AlarmRun;
  EXPECT_FALSE(ReleaseRight(app)) << "no menu during an alarm";
}

TEST(ShellTest, FrameTimerSendsOnlyPicturesThatDiffer) {
  Rig rig;
  FakeShell& shell = rig.shell;
  rig.shell.tick = 5000;
  PaintMain(rig.app, true);
  EXPECT_EQ(shell.Count("show"), 1);

  // Due on a new pose, a new second or a pointer that moved; a reading at
  // rest that finds it where it was composes nothing.
  const int32_t second = SecondOfDay(shell.time);
  EXPECT_FALSE(PaintDue(rig.app, second, false));
  EXPECT_TRUE(PaintDue(rig.app, second + 1, false));
  EXPECT_TRUE(PaintDue(rig.app, second, true));
  rig.app.behaviour.pose = 1;
  EXPECT_TRUE(PaintDue(rig.app, second, false));
  rig.app.behaviour.pose = 0;
  EXPECT_FALSE(ReadPointer(rig.app, 5000, true)) << "where the paint found it";
  shell.tick = 5101;

  PaintMain(rig.app, false);  // same second, same pupils
  EXPECT_EQ(shell.Count("show"), 1);
  EXPECT_EQ(rig.app.render.last_paint_tick, 5101u);
  shell.cursor = {1000, 0};  // right of the eyes: only the pupils' box goes
  EXPECT_TRUE(ReadPointer(rig.app, 5102, true));
  PaintMain(rig.app, false);
  EXPECT_EQ(shell.Count("show"), 2);
  const PixelBox pupils = {62, 31, 72, 33};
  EXPECT_EQ(shell.shown_area.left, pupils.left);
  EXPECT_EQ(shell.shown_area.top, pupils.top);
  EXPECT_EQ(shell.shown_area.right, pupils.right);
  EXPECT_EQ(shell.shown_area.bottom, pupils.bottom);
  shell.time.second = 57;
  PaintMain(rig.app, false);
  EXPECT_EQ(shell.Count("show"), 3);
  rig.settings.hour24 = true;
  PaintMain(rig.app, false);
  EXPECT_EQ(shell.Count("show"), 4);
  // The parts enlarged one by one add up to the whole picture enlarged.
  Surface whole = MakeSurface(176, 160);
  Enlarge(rig.app.sprites.picture, 2, whole);
  EXPECT_EQ(whole.pixels, shell.screen_picture.pixels);
  PaintMain(rig.app, true);  // a paint message always draws it all
  EXPECT_EQ(shell.Count("show"), 5);
  EXPECT_EQ(shell.shown_area.right, 88);
  EXPECT_EQ(shell.shown_area.bottom, 80);
}

TEST(ShellTest, PointerAtRestIsReadLessOftenThanAMovingOne) {
  Rig rig;
  FakeShell& shell = rig.shell;
  auto paints = [&](uint32_t from, uint32_t to) {
    const int before = shell.cursor_reads;
    for (uint32_t t = from; t < to; t += 102) ReadPointer(rig.app, t, false);
    return shell.cursor_reads - before;
  };
  EXPECT_EQ(paints(0, 2000), 20) << "every paint while it may still be moving";
  EXPECT_EQ(paints(2000, 5000), 10) << "on the quarter-second beat at rest, every third paint here";
  shell.cursor = {500, 500};
  paints(5000, 5400);
  ReadPointer(rig.app, 5500, false);
  EXPECT_EQ(rig.app.pointer.x, 500) << "a move is seen at once after";
  EXPECT_EQ(paints(5600, 7000), 14);
  ReadPointer(rig.app, 9000, true);  // a paint message reads it always
  EXPECT_EQ(shell.cursor_reads, 20 + 9 + 3 + 1 + 14 + 1);
}

TEST(ShellTest, ReshapeGivesTheMainWindowItsOutlineBeforeTheShadow) {
  for (Edition edition : {Edition::Full, Edition::Lite}) {
    Rig rig(edition);
    FakeShell& shell = rig.shell;
    rig.app.behaviour.pose = 3;
    Reshape(rig.app);
    EXPECT_EQ(rig.app.shaped_pose, 3);
    const std::vector<std::string> full = {"region main", "show", "shape shadow"};
    const std::vector<std::string> lite = {"region main", "show"};
    EXPECT_EQ(shell.log, edition == Edition::Full ? full : lite);

    // After a change of scale both windows take the new size instead.
    shell.log.clear();
    rig.settings.scale = 3;
    Reshape(rig.app);
    EXPECT_EQ(shell.main.width, 264);
    if (edition == Edition::Full) {
      EXPECT_EQ(shell.shadow.left, 109);
      EXPECT_EQ(shell.shadow.height, 240);
    }
  }
}

// The start in its order: the pictures, the alarm file (made on the first
// start), the settings' place and scale, the windows with the shadow under
// the character, their outline, the timer, the tray, the band, the showing.
TEST(ShellTest, StartUpLoadsInOrderAndShowsAsTheSettingsSay) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("kurimaro_start_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / kSettingsFileName, std::ios::binary)
      << "$viewscale = 3\r\n$shadow = 1\r\n$topmost = 0\r\n$pos_x = 1250\r\n$pos_y = 40\r\n";
  for (Edition edition : {Edition::Full, Edition::Lite}) {
    std::filesystem::remove(dir / kAlarmFileName);
    Rig rig(edition);
    rig.app.start_dir = dir.string();
    FreeSprites(rig.app.sprites);  // the start loads them itself
    rig.shell.log.clear();
    ASSERT_TRUE(StartApp(rig.app));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / kAlarmFileName));
    EXPECT_EQ(rig.settings.scale, 3);
    EXPECT_EQ(rig.app.sprites.scale, 3);
    // Kept on the 1280-pixel screen, the shadow 9 pixels off (lite: under it).
    const int32_t off = edition == Edition::Full ? 9 : 0;
    EXPECT_EQ(rig.shell.main, (ScreenRect{1280 - 264, 40, 264, 240}));
    EXPECT_EQ(rig.shell.shadow, (ScreenRect{1280 - 264 + off, 40 + off, 264, 240}));
    std::vector<std::string> want = {
        "bitmap 101",      "bitmap 102",   "bitmap 103",  "windows",
        "shape shadow",    "region main",  "start 200",   "tray icon",
        "stop 103",        "not topmost",  "show main",   "restore windows",
        "shape shadow",    edition == Edition::Full ? "show shadow" : "hide shadow",
        "front main"};
    if (edition == Edition::Lite) want.erase(want.begin() + 12);
    EXPECT_EQ(rig.shell.log, want);
  }
  std::filesystem::remove_all(dir);
}

// A new outline only where the frame's differs: the dance's frames each
// reshape, a blink (frame 1 has frame 0's outline) does not.
TEST(ShellTest, WindowsTakeANewOutlineOnlyWhenThePoseChangesIt) {
  Rig rig;
  rig.settings.show_alarm = true;
  rig.shell.tick = 5000;
  TimerFired(rig.app, TIMER_FRAME);
  SetMode(rig.app.behaviour, Mode::AlarmStart, rig.settings, rig.shell);
  std::vector<int32_t> outlines;
  bool blinked = false;
  for (int i = 0; i < 400; ++i) {
    rig.shell.tick += 17;
    rig.shell.log.clear();
    TimerFired(rig.app, TIMER_FRAME);
    if (rig.shell.Count("region main") == 1) outlines.push_back(rig.app.behaviour.pose);
    if (i == 200) StopAlarm(rig.app);
    blinked |= rig.app.behaviour.pose == 1;
  }
  EXPECT_TRUE(blinked);
  // Thumbs up (3) and the wink (4) share an outline too; the first idle
  // frame may be the blink's.
  ASSERT_EQ(outlines.size(), 3u);
  EXPECT_EQ(outlines[0], 2);
  EXPECT_EQ(outlines[1], 3);
  EXPECT_EQ(rig.app.sprites.frame_regions[outlines[2]], rig.app.sprites.frame_regions[0]);
}

TEST(ShellTest, DoubleClickStopsOnlyARunningAlarm) {
  Rig rig;
  DoubleClicked(rig.app);
  EXPECT_EQ(rig.shell.FakePlatformFor::Count(FakeCall::KillTimer), 0);
  SetMode(rig.app.behaviour, Mode::AlarmRun, rig.settings, rig.shell);
  DoubleClicked(rig.app);
  EXPECT_EQ(rig.app.behaviour.mode, Mode::Idle);
  EXPECT_EQ(rig.shell.FakePlatformFor::Count(FakeCall::KillTimer), 1);
}

}  // namespace

// The taskbar's judgement first; without one, a window of another application
// that covers the monitor, unless it is a maximised one with a title bar.
TEST(ShellTest, FullScreenIsAsTheTaskbarJudgesElseAWindowCoveringTheMonitor) {
  const ScreenRect monitor = {0, 0, 1280, 1024};
  auto front = [](ScreenRect bounds, bool maximised, bool captioned) {
    FrontWindow w;
    w.shown = true;
    w.bounds = bounds;
    w.maximised = maximised;
    w.captioned = captioned;
    return w;
  };
  const FrontWindow popup = front(monitor, false, false);
  FrontWindow overlay = popup;  // the taskbar's own, like its start menu over all
  overlay.taskbars = true;
  FrontWindow ours = popup;
  ours.ours = true;
  FrontWindow hidden = popup;
  hidden.shown = false;
  struct Row {
    const char* what;
    TaskbarVerdict taskbar;
    FrontWindow front;
    ScreenRect monitor;
    bool full;
  };
  using V = TaskbarVerdict;
  const Row rows[] = {
      {"the taskbar says full screen, with no window known", V::FullScreen, {}, monitor, true},
      {"the taskbar says full screen over a small window", V::FullScreen,
       front({100, 100, 300, 200}, false, true), monitor, true},
      {"the taskbar says not, over a covering popup", V::NotFullScreen, popup, monitor, false},
      {"a covering popup", V::Unknown, popup, monitor, true},
      {"a caption-less maximised popup", V::Unknown, front(monitor, true, false), monitor, true},
      {"a maximised window with a title bar, the taskbar hidden", V::Unknown,
       front({-8, -8, 1296, 1040}, true, true), monitor, false},
      {"a window with a title bar sized over the monitor", V::Unknown,
       front({-8, -30, 1296, 1062}, false, true), monitor, true},
      {"the taskbar's overlay", V::Unknown, overlay, monitor, false},
      {"this program's own window", V::Unknown, ours, monitor, false},
      {"a hidden window", V::Unknown, hidden, monitor, false},
      {"all but the last rows", V::Unknown, front({0, 0, 1280, 984}, false, false), monitor,
       false},
      {"all but the first column", V::Unknown, front({1, 0, 1279, 1024}, false, false), monitor,
       false},
      {"the other monitor", V::Unknown, popup, {1280, 0, 1920, 1080}, false},
      {"the monitor left of the main one", V::Unknown, front({-1920, 0, 1920, 1080}, false, false),
       {-1920, 0, 1920, 1080}, true},
      {"no monitor known yet", V::Unknown, popup, {0, 0, 0, 0}, false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FullScreenInFront(row.taskbar, row.front, row.monitor), row.full) << row.what;
  }
}

// A full-screen application in front hides both windows until it goes; a
// stored program stays stored, and the drop shadow's switch waits too.
TEST(ShellTest, FullScreenApplicationInFrontHidesTheMascotUntilItGoes) {
  using Log = std::vector<std::string>;
  for (Edition edition : {Edition::Full, Edition::Lite}) {
    Rig rig(edition);
    FakeShell& shell = rig.shell;
    shell.full_screen = true;
    StepAsideForFullScreen(rig.app);
    EXPECT_EQ(shell.log, (Log{"hide shadow", "hide main"}));
    shell.log.clear();
    StepAsideForFullScreen(rig.app);  // still there
    HandleCommand(rig.app, ID_SHADOW);
    HandleCommand(rig.app, ID_SHADOW);
    EXPECT_TRUE(shell.log.empty());
    shell.full_screen = false;
    StepAsideForFullScreen(rig.app);
    const bool lite = edition == Edition::Lite;
    EXPECT_EQ(shell.log, (Log{lite ? "hide shadow" : "show shadow", "show main"}));

    rig.settings.in_tray = true;
    shell.log.clear();
    shell.full_screen = true;
    StepAsideForFullScreen(rig.app);
    shell.full_screen = false;
    StepAsideForFullScreen(rig.app);
    EXPECT_TRUE(shell.log.empty());
    EXPECT_TRUE(rig.settings.in_tray);
  }
}
