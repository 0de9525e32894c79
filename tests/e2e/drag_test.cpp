// Dragging the mascot with the left button. The mouse messages are sent, so
// each has been handled when the call returns; the program reads the cursor
// itself, so the cursor is put in place first.
#include <gtest/gtest.h>

#include "driver.h"

using namespace e2e;

namespace {

POINT TopLeft(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return {rect.left, rect.top};
}

::testing::AssertionResult At(HWND window, LONG x, LONG y) {
  const POINT p = TopLeft(window);
  if (p.x == x && p.y == y) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "at (" << p.x << ", " << p.y << "), expected (" << x
                                       << ", " << y << ")";
}

class DragTest : public ::testing::TestWithParam<const e2e::Edition*> {
 protected:
  const e2e::Edition& edition() const { return *GetParam(); }

  // Launches with the settings; s is the scale, offset the shadow's distance.
  Running Start(const std::string& what, Conf conf = Conf()) {
    const std::string dir = MakeWorkDir(std::string(edition().name) + "-drag-" + what);
    WriteFileBytes(JoinPath(dir, kConfName), conf.Text());
    s_ = conf.viewscale;
    return Launch(edition(), dir);
  }
  int ShadowOffset() const { return edition().layered ? 3 * s_ : 0; }

  // Left press at the grab point, given in window pixels.
  bool Press(const Running& app, POINT grab) {
    const POINT p = TopLeft(app.main);
    PutCursor(p.x + grab.x, p.y + grab.y);
    return Send(app.main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(grab.x, grab.y));
  }
  bool MoveTo(const Running& app, POINT screen) {
    PutCursor(screen.x, screen.y);
    const POINT p = TopLeft(app.main);
    return Send(app.main, WM_MOUSEMOVE, MK_LBUTTON,
                MAKELPARAM(screen.x - p.x, screen.y - p.y));
  }

  int s_ = 2;
};

TEST_P(DragTest, DragMovesBothWindowsAndKeepsTheGrabOffset) {
  Running app = Start("move");
  ASSERT_TRUE(app.main && app.shadow);
  const POINT grab = {130, 90};  // on the coat
  ASSERT_TRUE(Press(app, grab));
  ASSERT_TRUE(MoveTo(app, {600, 500}));
  EXPECT_TRUE(At(app.main, 600 - grab.x, 500 - grab.y));
  EXPECT_TRUE(At(app.shadow, 600 - grab.x + ShadowOffset(), 500 - grab.y + ShadowOffset()));
  // No clamping while dragging: partly off the screen is allowed.
  ASSERT_TRUE(MoveTo(app, {20, 30}));
  EXPECT_TRUE(At(app.main, 20 - grab.x, 30 - grab.y));
  EXPECT_TRUE(At(app.shadow, 20 - grab.x + ShadowOffset(), 30 - grab.y + ShadowOffset()));
  // Released: the cursor goes on alone.
  ASSERT_TRUE(Send(app.main, WM_LBUTTONUP, 0, MAKELPARAM(grab.x, grab.y)));
  ASSERT_TRUE(MoveTo(app, {400, 400}));
  EXPECT_TRUE(At(app.main, 20 - grab.x, 30 - grab.y));
  EXPECT_EQ(CloseAndWait(app), 0);
}

TEST_P(DragTest, PositionLockKeepsTheMascotStill) {
  Conf conf;
  conf.movelock = 1;
  Running app = Start("lock", conf);
  ASSERT_TRUE(app.main);
  ASSERT_TRUE(Press(app, {130, 90}));
  ASSERT_TRUE(MoveTo(app, {600, 500}));
  EXPECT_TRUE(At(app.main, 100, 100));
  EXPECT_TRUE(At(app.shadow, 100 + ShadowOffset(), 100 + ShadowOffset()));
  EXPECT_TRUE(Send(app.main, WM_LBUTTONUP, 0, 0));
  EXPECT_EQ(CloseAndWait(app), 0);
}

TEST_P(DragTest, OtherButtonsAndDeactivationEndTheDrag) {
  struct End {
    const char* name;
    UINT message;
    WPARAM wparam;
  };
  const End ends[] = {{"right button up", WM_RBUTTONUP, 0},
                      {"middle button up", WM_MBUTTONUP, 0},
                      {"deactivated", WM_ACTIVATE, WA_INACTIVE}};
  Conf conf;
  conf.viewscale = 1;
  Running app = Start("ends", conf);
  ASSERT_TRUE(app.main);
  const POINT grab = {70, 40};
  int step = 0;
  for (const End& end : ends) {
    SCOPED_TRACE(end.name);
    const POINT target = {300 + 100 * step, 200 + 50 * step};
    ++step;
    ASSERT_TRUE(Press(app, grab));
    ASSERT_TRUE(MoveTo(app, target));
    EXPECT_TRUE(At(app.main, target.x - grab.x, target.y - grab.y));
    // A right release while dragging opens no menu, which would not return.
    EXPECT_TRUE(Send(app.main, end.message, end.wparam, 0)) << "the message did not return";
    ASSERT_TRUE(MoveTo(app, {target.x + 40, target.y + 40}));
    EXPECT_TRUE(At(app.main, target.x - grab.x, target.y - grab.y));
  }
  EXPECT_EQ(CloseAndWait(app), 0);
}

INSTANTIATE_TEST_SUITE_P(Editions, DragTest, ::testing::Values(&kFull, &kLite),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
