// The context menu's commands and the tray, driven as a user does.
#include "resources/resource_ids.h"
#include "tests/linux/fixture.h"

using namespace lx;

namespace {

class Menu : public Linux {};

// A shown window of the process that the window manager holds, other than
// its two own: a dialog or box, not the menu on its way out.
XWin WaitForBox(const Running& r, int timeout_ms = 10000) {
  XWin box = 0;
  WaitUntil([&] {
    for (XWin w : ClientsOf(r.process.pid)) {
      if (w != r.main && w != r.shadow && Viewable(w) && Held(w) &&
          w != DockedTrayIcon(r.process.pid)) {
        box = w;
      }
    }
    return box != 0;
  }, timeout_ms);
  return box;
}

// Destroyed, not merely unmapped: until then the box holds the program's grab.
bool Gone(const Running& r, XWin box) {
  for (XWin w : ClientsOf(r.process.pid)) {
    if (w == box) return false;
  }
  return true;
}

// Double-clicks the docked icon once the host has stopped laying it out.
void DoubleClickIcon(const Running& r) {
  Rect last;
  int same = 0;
  WaitUntil([&] {
    const Rect now = Bounds(DockedTrayIcon(r.process.pid));
    same = now == last && now.w > 0 ? same + 1 : 0;
    last = now;
    return same >= 10;
  });
  MovePointer(last.x + last.w / 2, last.y + last.h / 2);
  Click(1, 2);
}

bool Stored(const Running& r) { return !Viewable(r.main) && !Viewable(r.shadow); }
bool Shown(const Running& r) { return Viewable(r.main) && Viewable(r.shadow); }

}  // namespace

// Sizes, the drop shadow, keep-above as the window manager's state, the
// about box and Exit, each chosen from the menu by keys. There is no tray
// here, so "store" is grey.
TEST_F(Menu, CommandsTakeEffect) {
  const std::string dir = Dir();
  Running r = Launch(kFull, dir);
  ASSERT_NE(r.main, 0u);

  ASSERT_TRUE(ChooseFromMenu(r, ID_SIZE_X1 + 2));
  EXPECT_TRUE(WaitUntil([&] { return Bounds(r.main) == Rect{100, 100, 264, 240}; }))
      << Bounds(r.main);
  EXPECT_TRUE(WaitUntil([&] { return Shape(r.main) == FrameMask(0, 3); }));
  EXPECT_TRUE(WaitUntil([&] { return Bounds(r.shadow) == Rect{109, 109, 264, 240}; }));

  ASSERT_TRUE(ChooseFromMenu(r, ID_SHADOW));
  EXPECT_TRUE(WaitUntil([&] { return !Viewable(r.shadow); }));
  ASSERT_TRUE(ChooseFromMenu(r, ID_SHADOW));
  EXPECT_TRUE(WaitUntil([&] { return Viewable(r.shadow); }));

  EXPECT_TRUE(WaitUntil([&] { return HasNetWmState(r.main, "_NET_WM_STATE_ABOVE"); }));
  ASSERT_TRUE(ChooseFromMenu(r, ID_TOPMOST));
  EXPECT_TRUE(WaitUntil([&] { return !HasNetWmState(r.main, "_NET_WM_STATE_ABOVE"); }));
  ASSERT_TRUE(ChooseFromMenu(r, ID_TOPMOST));
  EXPECT_TRUE(WaitUntil([&] { return HasNetWmState(r.main, "_NET_WM_STATE_ABOVE"); }));

  ASSERT_TRUE(ChooseFromMenu(r, ID_ABOUT, {ID_TRAY}));
  const XWin about = WaitForBox(r);
  ASSERT_NE(about, 0u);
  AskToClose(about);
  EXPECT_TRUE(WaitUntil([&] { return Gone(r, about); }));

  ASSERT_TRUE(ChooseFromMenu(r, ID_EXIT, {ID_TRAY}));
  EXPECT_EQ(WaitExit(r.process), 0);
  EXPECT_NE(ReadFile(dir + "/" + kConfName).find("$viewscale = 3\r\n"), std::string::npos);
}

// The icon docks in a tray host; stored, the windows leave the screen and
// the icon's double click brings them back. A host that goes brings a
// stored program back; one that comes again gets the icon and the program
// leaves the screen again. With no host, a program out of the tray has
// "store" grey: the keys pass over it to the about box.
TEST_F(Menu, TrayHost) {
  const std::vector<std::string> host_argv = {"trayer", "--edge", "bottom", "--align", "right",
                                              "--widthtype", "request", "--height", "24"};
  Process host = StartTool(host_argv);
  Running r = Launch(kFull, Dir());
  ASSERT_NE(r.main, 0u);
  ASSERT_TRUE(WaitUntil([&] { return DockedTrayIcon(r.process.pid) != 0; }));

  ASSERT_TRUE(ChooseFromMenu(r, ID_TRAY));
  EXPECT_TRUE(WaitUntil([&] { return Stored(r); }));
  DoubleClickIcon(r);
  EXPECT_TRUE(WaitUntil([&] { return Shown(r); }));

  ASSERT_TRUE(ChooseFromMenu(r, ID_TRAY));
  EXPECT_TRUE(WaitUntil([&] { return Stored(r); }));
  Stop(host);
  EXPECT_TRUE(WaitUntil([&] { return Shown(r); }));
  host = StartTool(host_argv);
  EXPECT_TRUE(WaitUntil([&] { return DockedTrayIcon(r.process.pid) != 0; }));
  EXPECT_TRUE(WaitUntil([&] { return Stored(r); }));

  DoubleClickIcon(r);
  ASSERT_TRUE(WaitUntil([&] { return Shown(r); }));
  Stop(host);
  ASSERT_TRUE(WaitUntil([&] { return DockedTrayIcon(r.process.pid) == 0; }));
  ASSERT_TRUE(ChooseFromMenu(r, ID_ABOUT, {ID_TRAY}));
  const XWin about = WaitForBox(r);
  ASSERT_NE(about, 0u);
  EXPECT_TRUE(Shown(r));
  AskToClose(about);
  // The box is modal: a close of the character waits for it to go.
  EXPECT_TRUE(WaitUntil([&] { return Gone(r, about); }));
  EXPECT_EQ(CloseAndWait(r), 0);
}
