// The two windows as X holds them: outlines, pictures and dragging.
#include <chrono>
#include <thread>

#include "tests/linux/fixture.h"

using namespace lx;

namespace {

class Window : public Linux {};

Rect Shifted(const Rect& r, int by) { return {r.x + by, r.y + by, r.w, r.h}; }

}  // namespace

// The character's outline is frame 0's mask at every scale; the full
// edition's shadow has it too, 3 scaled pixels lower right, checkered without
// a compositor, and takes no clicks; it shows only while the setting is on,
// and never in the lite edition, which stops at x5.
TEST_F(Window, OutlinesFollowTheFrameMask) {
  ASSERT_FALSE(CompositorRunning());
  struct Case {
    const Program* program;
    int asked, scale, shadow;
  };
  for (const Case& c : {Case{&kFull, 1, 1, 1}, Case{&kFull, 2, 2, 0}, Case{&kFull, 10, 10, 1},
                        Case{&kLite, 10, 5, 1}}) {
    SCOPED_TRACE(std::string(c.program->file) + " x" + std::to_string(c.asked));
    Conf conf;
    conf.viewscale = c.asked;
    conf.shadow = c.shadow;
    Running r = Launch(*c.program, Dir(), conf);
    ASSERT_NE(r.main, 0u);
    const Mask frame = FrameMask(0, c.scale);
    EXPECT_EQ(Bounds(r.main), (Rect{100, 100, 88 * c.scale, 80 * c.scale}));
    EXPECT_TRUE(WaitUntil([&] { return Shape(r.main) == frame; })) << Shape(r.main);
    if (!c.program->lite && c.shadow) {
      ASSERT_NE(r.shadow, 0u);
      EXPECT_TRUE(WaitUntil([&] { return Viewable(r.shadow); }));
      EXPECT_EQ(Bounds(r.shadow), Shifted(Bounds(r.main), 3 * c.scale));
      EXPECT_TRUE(WaitUntil([&] { return Shape(r.shadow) == Checkered(frame, c.scale); }))
          << Shape(r.shadow);
      EXPECT_TRUE(Shape(r.shadow, true).Empty());
    } else {
      EXPECT_TRUE(r.shadow == 0 || !Viewable(r.shadow));
    }
    EXPECT_EQ(CloseAndWait(r), 0);
  }
}

// A compositor that comes blends the whole shadow; one that goes leaves
// the checkerboard again.
TEST_F(Window, ShadowFollowsTheCompositor) {
  Running r = Launch(kFull, Dir());
  ASSERT_NE(r.shadow, 0u);
  const Mask frame = FrameMask(0, 2);
  EXPECT_TRUE(WaitUntil([&] { return Shape(r.shadow) == Checkered(frame, 2); }));
  Process compositor = StartTool({"xcompmgr"});
  ASSERT_TRUE(WaitUntil(CompositorRunning));
  EXPECT_TRUE(WaitUntil([&] { return Shape(r.shadow) == frame; })) << Shape(r.shadow);
  EXPECT_TRUE(Shape(r.shadow, true).Empty());
  EXPECT_EQ(Bounds(r.shadow), Shifted(Bounds(r.main), 6));
  Stop(compositor);
  EXPECT_TRUE(WaitUntil([&] { return Shape(r.shadow) == Checkered(frame, 2); }));
  EXPECT_EQ(CloseAndWait(r), 0);
}

// What the window shows is the preview tool's picture of the same moment,
// settings and pointer; the pupils follow the pointer to either side.
TEST_F(Window, PictureMatchesPreview) {
  Conf plain;
  plain.viewscale = 2;
  Conf rows;
  rows.viewscale = 3;
  rows.hour24 = 1;
  rows.alerm = 1;
  rows.calendar = 0;
  rows.x = 300;
  rows.y = 250;
  const std::vector<int> alarms = {SecondOfDayNow() + 7200};
  for (const Conf& conf : {plain, rows}) {
    SCOPED_TRACE("x" + std::to_string(conf.viewscale));
    const std::string dir = Dir();
    WriteAlarms(dir + "/" + kAlarmName, alarms);
    Running r = Launch(kFull, dir, conf);
    ASSERT_NE(r.main, 0u);
    const Rect at = Bounds(r.main);
    const Mask frame = FrameMask(0, conf.viewscale);
    std::vector<Image> seen;
    for (const auto& [px, py] : {std::pair{5, 5}, std::pair{1270, 1010}}) {
      // The second move comes after the pointer has rested, when no reading
      // is due until the system tells of a move.
      if (!seen.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(2500));
      MovePointer(px, py);
      std::string last;
      EXPECT_TRUE(WaitUntil([&] {
        last = CompareInside(Grab(r.main), ExpectedPicture(conf, px, py, at.x, at.y, alarms), frame);
        return last.empty();
      })) << last;
      seen.push_back(ExpectedPicture(conf, px, py, at.x, at.y, alarms));
    }
    EXPECT_NE(CompareInside(seen[0], seen[1], frame), "") << "the pupils never moved";
    EXPECT_EQ(CloseAndWait(r), 0);
  }
}

// A left drag moves both windows; a right release ends it; a locked
// position does not move.
TEST_F(Window, DragMovesBothWindows) {
  int bx = 0, by = 0;
  BodyPoint(2, bx, by);
  auto drag = [&](const Running& r, int dx, int dy, bool right_release_midway) {
    const Rect from = Bounds(r.main);
    MovePointer(from.x + bx, from.y + by);
    Button(1, true);
    for (int step = 1; step <= 5; ++step) {
      MovePointer(from.x + bx + dx * step / 5, from.y + by + dy * step / 5);
      if (right_release_midway && step == 2) {
        Click(3);
        WaitUntil([&] { return Bounds(r.main).x == from.x + dx * 2 / 5; }, 3000);
      }
    }
    Button(1, false);
  };
  {
    Running r = Launch(kFull, Dir());
    drag(r, 150, 100, false);
    EXPECT_TRUE(WaitUntil([&] { return Bounds(r.main) == Rect{250, 200, 176, 160}; }))
        << Bounds(r.main);
    EXPECT_TRUE(WaitUntil([&] { return Bounds(r.shadow) == Rect{256, 206, 176, 160}; }))
        << Bounds(r.shadow);
    // The right release ends the drag two fifths of the way and opens no menu.
    const size_t popups = PopupWindows().size();
    drag(r, 100, 50, true);
    EXPECT_TRUE(WaitUntil([&] { return Bounds(r.main) == Rect{290, 220, 176, 160}; }))
        << Bounds(r.main);
    EXPECT_EQ(PopupWindows().size(), popups);
    EXPECT_EQ(CloseAndWait(r), 0);
  }
  {
    Conf locked;
    locked.movelock = 1;
    Running r = Launch(kFull, Dir(), locked);
    drag(r, 150, 100, false);
    // Time for a move that must not come.
    WaitUntil([] { return false; }, 1000);
    EXPECT_EQ(Bounds(r.main), (Rect{100, 100, 176, 160}));
    EXPECT_EQ(CloseAndWait(r), 0);
  }
}

// Another client's full-screen window in front sends both windows away;
// they come back as it goes. An ordinary window in front leaves them.
TEST_F(Window, StepsAsideForFullScreen) {
  Running r = Launch(kFull, Dir());
  ASSERT_NE(r.main, 0u);
  auto shown = [&] { return Viewable(r.main) && Viewable(r.shadow); };
  ASSERT_TRUE(WaitUntil(shown));
  const XWin plain = OpenOwnWindow(false);
  // The rule looks once a second: time for two looks.
  EXPECT_FALSE(WaitUntil([&] { return !Viewable(r.main); }, 2500));
  DestroyOwnWindow(plain);
  const XWin full = OpenOwnWindow(true);
  EXPECT_TRUE(WaitUntil([&] { return !Viewable(r.main) && !Viewable(r.shadow); }));
  DestroyOwnWindow(full);
  EXPECT_TRUE(WaitUntil(shown));
  EXPECT_EQ(CloseAndWait(r), 0);
}
