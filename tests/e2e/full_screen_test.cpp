// The mascot steps aside while another application fills the screen in the
// foreground, and comes back when it goes; a large window that leaves some of
// the screen free does not count.
#include <functional>

#include "edition_test.h"

using namespace e2e;

namespace {

class FullScreenTest : public EditionTest {};

// A window of this driver's own, in the foreground, pumped while the test waits.
HWND OpenWindow(DWORD style, const RECT& r) {
  HWND window = CreateWindowExA(0, "STATIC", "other application", style, r.left, r.top,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr,
                                nullptr);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  return window;
}

bool WaitPumping(const std::function<bool()>& done, DWORD timeout_ms) {
  return WaitUntil([&] {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    return done();
  }, timeout_ms);
}

TEST_P(FullScreenTest, FullScreenApplicationHidesTheMascotUntilItCloses) {
  const std::string dir = TestDir();
  Running app = Launch(edition(), dir);
  ASSERT_TRUE(app.main);
  const bool layered = edition().layered;
  const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};

  // Large, but the screen's last rows stay free.
  HWND large = OpenWindow(WS_POPUP | WS_VISIBLE, {0, 0, screen.right, screen.bottom - 40});
  EXPECT_FALSE(WaitPumping([&] { return !IsWindowVisible(app.main); }, 2500))
      << "a window that is not full screen hid the mascot";
  DestroyWindow(large);

  // Maximised, a window with a title bar leaves the taskbar be (here, with
  // no taskbar, it covers the screen); a caption-less one is a game's.
  HWND titled = OpenWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {0, 0, 640, 480});
  ShowWindow(titled, SW_MAXIMIZE);
  EXPECT_FALSE(WaitPumping([&] { return !IsWindowVisible(app.main); }, 2500))
      << "a maximised window with a title bar hid the mascot";
  DestroyWindow(titled);

  struct Row {
    const char* what;
    RECT at;
    int show;
  };
  for (const Row& row : {Row{"full screen", screen, SW_SHOW},
                         Row{"maximised, caption-less", {0, 0, 640, 480}, SW_MAXIMIZE}}) {
    SCOPED_TRACE(row.what);
    HWND full = OpenWindow(WS_POPUP | WS_VISIBLE, row.at);
    ShowWindow(full, row.show);
    EXPECT_TRUE(WaitPumping([&] {
      return !IsWindowVisible(app.main) && !IsWindowVisible(app.shadow);
    }, 2000)) << "still shown over a full-screen application";
    DestroyWindow(full);
    EXPECT_TRUE(WaitPumping([&] {
      return IsWindowVisible(app.main) && IsWindowVisible(app.shadow) == layered;
    }, 2000)) << "not back after the full-screen application closed";
  }
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadConf(dir).hide, 0) << "stepping aside is not storing";
}

E2E_FOR_BOTH_EDITIONS(FullScreenTest);

}  // namespace
