// The two windows as X holds them: outlines, pictures and dragging.
#include <chrono>
#include <thread>

#include "tests/linux/fixture.h"

using namespace lx;

namespace {

class Window : public Linux {};

}  // namespace

// One window carries the character and his shadow: his picture and the
// shadow's offset of 3 scaled pixels right and down. Its outline is frame
// 0's mask at every scale and, while the setting is on, the shadow's, which
// without a compositor is every other cell of it, drawn black; only his own
// outline takes clicks. The lite edition has no shadow and stops at x5.
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
    const Shade shade = !c.program->lite && c.shadow ? Shade::Stippled : Shade::Off;
    const Mask shape = WindowShape(*c.program, 0, c.scale, shade);
    EXPECT_EQ(Bounds(r.main), WindowRect(*c.program, 100, 100, c.scale));
    EXPECT_TRUE(WaitUntil([&] { return Shape(r.main) == shape; })) << Shape(r.main);
    EXPECT_EQ(Shape(r.main, true), InputShape(*c.program, 0, c.scale));
    std::string last;
    EXPECT_TRUE(WaitUntil([&] { return (last = ScreenShows(r, c.scale, shade)).empty(); })) << last;
    EXPECT_EQ(CloseAndWait(r), 0);
  }
}

// A compositor that comes blends the whole shadow to half black over the
// desktop, under him; one that goes leaves the black checkerboard again.
TEST_F(Window, ShadowFollowsTheCompositor) {
  const Wallpaper wallpaper(0xFFFFFF);
  Running r = Launch(kFull, Dir());
  const Rect at = WindowRect(kFull, 100, 100, 2);
  std::string last;
  auto shows = [&](Shade shade) {
    return WaitUntil([&] {
      return Shape(r.main) == WindowShape(kFull, 0, 2, shade) &&
             (last = ScreenShows(r, 2, shade)).empty();
    });
  };
  EXPECT_TRUE(shows(Shade::Stippled)) << last;
  Process compositor = StartTool({"xcompmgr"});
  ASSERT_TRUE(WaitUntil(CompositorRunning));
  EXPECT_TRUE(shows(Shade::Blended)) << last << " " << Shape(r.main);
  EXPECT_EQ(Shape(r.main, true), InputShape(kFull, 0, 2));
  EXPECT_EQ(Bounds(r.main), at);
  Stop(compositor);
  EXPECT_TRUE(shows(Shade::Stippled)) << last;
  EXPECT_EQ(CloseAndWait(r), 0);
}

// What the window shows is the preview tool's picture of the same moment,
// settings and pointer; the pupils follow the pointer to either side, the
// second time while another client holds the pointer, as an open menu or a
// drag of another program's does.
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
    const int w = 88 * conf.viewscale, h = 80 * conf.viewscale;
    for (const auto& [px, py] : {std::pair{5, 5}, std::pair{1270, 1010}}) {
      // The second move comes after the pointer has rested, when no reading
      // is due until the system tells of a move.
      if (!seen.empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        GrabPointer(true);
      }
      MovePointer(px, py);
      std::string last;
      EXPECT_TRUE(WaitUntil([&] {
        last = CompareInside(Grab(r.main, w, h),
                             ExpectedPicture(conf, px, py, at.x, at.y, alarms), frame);
        return last.empty();
      })) << last;
      seen.push_back(ExpectedPicture(conf, px, py, at.x, at.y, alarms));
    }
    GrabPointer(false);
    EXPECT_NE(CompareInside(seen[0], seen[1], frame), "") << "the pupils never moved";
    EXPECT_EQ(CloseAndWait(r), 0);
  }
}

// A left drag moves him with his shadow; a right release ends it; a locked
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
    EXPECT_TRUE(WaitUntil([&] { return Bounds(r.main) == WindowRect(kFull, 250, 200, 2); }))
        << Bounds(r.main);
    // The right release ends the drag two fifths of the way and opens no menu.
    const size_t popups = PopupWindows().size();
    drag(r, 100, 50, true);
    EXPECT_TRUE(WaitUntil([&] { return Bounds(r.main) == WindowRect(kFull, 290, 220, 2); }))
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
    EXPECT_EQ(Bounds(r.main), WindowRect(kFull, 100, 100, 2));
    EXPECT_EQ(CloseAndWait(r), 0);
  }
}

// Another client's full-screen window in front sends him away; he comes
// back as it goes. An ordinary window in front leaves him.
TEST_F(Window, StepsAsideForFullScreen) {
  Running r = Launch(kFull, Dir());
  ASSERT_NE(r.main, 0u);
  auto shown = [&] { return Viewable(r.main); };
  ASSERT_TRUE(WaitUntil(shown));
  const XWin plain = OpenOwnWindow(false);
  // The rule looks once a second: time for two looks.
  EXPECT_FALSE(WaitUntil([&] { return !Viewable(r.main); }, 2500));
  DestroyOwnWindow(plain);
  const XWin full = OpenOwnWindow(true);
  EXPECT_TRUE(WaitUntil([&] { return !Viewable(r.main); }));
  DestroyOwnWindow(full);
  EXPECT_TRUE(WaitUntil(shown));
  EXPECT_EQ(CloseAndWait(r), 0);
}

// On a desktop at twice the scale he stays in device pixels: at x3 his
// picture is exactly 264 x 240 of them, unsmoothed, in a window GDK rounds
// up to whole pixels of its own, while the menu follows the desktop and is
// about twice as tall as at 1x.
TEST_F(Window, FollowsTheDesktopScale) {
  Conf conf;
  conf.viewscale = 3;
  std::vector<int> heights;
  for (const char* scale : {"GDK_SCALE=1", "GDK_SCALE=2"}) {
    SCOPED_TRACE(scale);
    Running r = Launch(kFull, Dir(), conf, {scale, "GDK_DPI_SCALE"});
    ASSERT_NE(r.main, 0u);
    const Rect at = Bounds(r.main);
    const Rect device = WindowRect(kFull, 100, 100, 3);
    const int g = scale[10] - '0';
    EXPECT_EQ(at, (Rect{100, 100, (device.w + g - 1) / g * g, (device.h + g - 1) / g * g}));
    EXPECT_TRUE(WaitUntil([&] { return FrameOf(Shape(r.main, true), 3) == 0; }))
        << Shape(r.main, true);
    MovePointer(5, 5);
    std::string last;
    EXPECT_TRUE(WaitUntil([&] {
      last = CompareInside(Grab(r.main, 264, 240), ExpectedPicture(conf, 5, 5, at.x, at.y),
                           FrameMask(0, 3));
      return last.empty();
    })) << last;
    ASSERT_TRUE(OpenMenu(r));
    heights.push_back(Bounds(PopupWindows().front()).h);
    Key("Escape");
    EXPECT_EQ(CloseAndWait(r), 0);
  }
  ASSERT_EQ(heights.size(), 2u);
  EXPECT_NEAR(heights[1], 2.0 * heights[0], 0.1 * heights[0]) << heights[0] << " at 1x";
}
