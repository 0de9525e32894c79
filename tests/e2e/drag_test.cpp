// Dragging the mascot with the left button, and the position lock. The mouse
// messages are sent, so each has been handled when the call returns; the
// program reads the cursor itself, so the cursor is put in place first.
#include "edition_test.h"

using namespace e2e;

namespace {

::testing::AssertionResult At(HWND window, LONG x, LONG y) {
  const RECT r = ReadWindow(window).rect;
  if (r.left == x && r.top == y) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "at (" << r.left << ", " << r.top << "), expected ("
                                       << x << ", " << y << ")";
}

class DragTest : public EditionTest {
 protected:
  int ShadowOffset(int s) const { return edition().layered ? 3 * s : 0; }
  // Both windows' top-left, the shadow's at its offset.
  ::testing::AssertionResult BothAt(const Running& app, LONG x, LONG y, int s = 2) const {
    ::testing::AssertionResult main = At(app.main, x, y);
    return main ? At(app.shadow, x + ShadowOffset(s), y + ShadowOffset(s)) : main;
  }
};

TEST_P(DragTest, DragMovesBothWindowsAndKeepsTheGrabOffset) {
  Running app = Launch(edition(), TestDir(), Conf());
  ASSERT_TRUE(app.main && app.shadow);
  const POINT grab = {130, 90};  // on the coat
  ASSERT_TRUE(PressLeft(app, grab));
  ASSERT_TRUE(DragTo(app, {600, 500}));
  EXPECT_TRUE(BothAt(app, 600 - grab.x, 500 - grab.y));
  // No clamping while dragging: partly off the screen is allowed.
  ASSERT_TRUE(DragTo(app, {20, 30}));
  EXPECT_TRUE(BothAt(app, 20 - grab.x, 30 - grab.y));
  // Released: the cursor goes on alone.
  ASSERT_TRUE(Send(app.main, WM_LBUTTONUP, 0, MAKELPARAM(grab.x, grab.y)));
  ASSERT_TRUE(DragTo(app, {400, 400}));
  EXPECT_TRUE(At(app.main, 20 - grab.x, 30 - grab.y));
  EXPECT_EQ(CloseAndWait(app), 0);
}

// Locked from either menu, or by the file at the start, the mascot stays put.
TEST_P(DragTest, PositionLockKeepsTheMascotStill) {
  const std::string dir = TestDir();
  Running app = Launch(edition(), dir, Conf());
  ASSERT_TRUE(app.main);
  const POINT grab = {140, 140};
  auto drag = [&](POINT to) {
    return PressLeft(app, grab) && DragTo(app, to) &&
           Send(app.main, WM_LBUTTONUP, 0, MAKELPARAM(grab.x, grab.y));
  };
  ASSERT_TRUE(drag({600, 500}));
  ASSERT_TRUE(At(app.main, 460, 360)) << "the drag moved nothing";

  ASSERT_TRUE(Send(app.main, WM_COMMAND, kMoveLock));
  ASSERT_TRUE(drag({700, 650}));
  EXPECT_TRUE(BothAt(app, 460, 360)) << "a locked character moved";

  // Unlocked from the tray icon's menu, it follows the mouse again.
  ASSERT_TRUE(Send(app.shadow, WM_COMMAND, kMoveLock));
  ASSERT_TRUE(drag({500, 400}));
  EXPECT_TRUE(At(app.main, 360, 260));
  ASSERT_TRUE(Send(app.main, WM_COMMAND, kMoveLock));
  EXPECT_EQ(CloseAndWait(app), 0);
  Conf saved;
  saved.movelock = 1;
  saved.x = 360;
  saved.y = 260;
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), saved.Text());

  // Started locked from the file.
  app = Launch(edition(), dir);
  ASSERT_TRUE(app.main);
  ASSERT_TRUE(drag({600, 500}));
  EXPECT_TRUE(BothAt(app, 360, 260)) << "a character locked by the file moved";
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
  Running app = Launch(edition(), TestDir(), conf);
  ASSERT_TRUE(app.main);
  const POINT grab = {70, 40};
  int step = 0;
  for (const End& end : ends) {
    SCOPED_TRACE(end.name);
    const POINT target = {300 + 100 * step, 200 + 50 * step};
    ++step;
    ASSERT_TRUE(PressLeft(app, grab));
    ASSERT_TRUE(DragTo(app, target));
    EXPECT_TRUE(At(app.main, target.x - grab.x, target.y - grab.y));
    // A right release while dragging opens no menu, which would not return.
    EXPECT_TRUE(Send(app.main, end.message, end.wparam, 0)) << "the message did not return";
    ASSERT_TRUE(DragTo(app, {target.x + 40, target.y + 40}));
    EXPECT_TRUE(At(app.main, target.x - grab.x, target.y - grab.y));
  }
  EXPECT_EQ(CloseAndWait(app), 0);
}

E2E_FOR_BOTH_EDITIONS(DragTest);

}  // namespace
