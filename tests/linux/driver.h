#pragma once

// The driver for the real Linux programs on a virtual X display: starts them
// in a directory of their own, finds their windows, reads what X holds of
// them (outlines, pixels, properties), fakes the user's input with XTEST, and
// computes from the core what belongs on screen. driver_x.cpp talks to X,
// driver.cpp holds processes and files, driver_core.cpp the expectations.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "tests/driver_common/driver_common.h"

namespace lx {

using namespace drivers;

struct Program {
  const char* file;      // beside the tests in the build tree
  const char* res_name;  // WM_CLASS name of its windows
  bool lite;
};
extern const Program kFull;
extern const Program kLite;

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const Rect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};
std::ostream& operator<<(std::ostream& out, const Rect& r);

// One byte per window pixel, row by row: 1 inside the outline.
struct Mask {
  int w = 0, h = 0;
  std::vector<uint8_t> bits;
  bool operator==(const Mask& o) const { return w == o.w && h == o.h && bits == o.bits; }
  bool Empty() const;
};
std::ostream& operator<<(std::ostream& out, const Mask& m);

struct Image {
  int w = 0, h = 0;
  std::vector<uint32_t> px;  // 0x00RRGGBB
};
// Where the two differ inside mask, as a short text; "" when they agree.
std::string CompareInside(const Image& shown, const Image& expected, const Mask& mask);

// ---- Files --------------------------------------------------------------

// The test display's name, as ":N".
std::string TestDisplay();
// A fresh, empty directory for one test, under the run's state directory.
std::string MakeWorkDir(const std::string& name);
int SecondOfDayNow();

// ---- Processes ----------------------------------------------------------

struct Process {
  pid_t pid = -1;
  std::string stderr_path;  // what the program wrote there
};
// Starts the program with --dir dir on the test display. env: "NAME=value"
// sets a variable, "NAME" removes it.
Process Start(const Program& program, const std::string& dir,
              const std::vector<std::string>& env = {});
// A helper program (compositor, tray host), ended by Stop or at the test's end.
Process StartTool(const std::vector<std::string>& argv);
// Exit code; -1 when it has not ended in time (it is then killed).
int WaitExit(Process& process, int timeout_ms = 15000);
void Stop(Process& process);
// The exit code once the process has ended, without waiting.
std::optional<int> Ended(Process& process);
// Kills whatever a test started and left running.
void KillStragglers();

// ---- X ------------------------------------------------------------------

using XWin = unsigned long;
// The process's client windows (below the window manager's frames), shown or not.
std::vector<XWin> ClientsOf(pid_t pid);
// Its window of that WM_WINDOW_ROLE; 0 when none.
XWin FindWindow(pid_t pid, const char* role);
bool Viewable(XWin w);
// Taken in by the window manager's frame or a tray host: not a menu or
// tooltip, which stay on the root window.
bool Held(XWin w);
// Position on the screen and size.
Rect Bounds(XWin w);
// The bounding or the input outline over the window's own size.
Mask Shape(XWin w, bool input = false);
Image Grab(XWin w);
std::vector<std::string> NetWmState(XWin w);
bool HasNetWmState(XWin w, const char* state);
// A box or dialog by its window type, which the program's own two windows
// never have.
bool IsDialog(XWin w);
std::string WmClassName(XWin w);
// Its title as the window manager shows it (UTF-8).
std::string WindowTitle(XWin w);
// Mapped override-redirect windows of the screen: menus and tray pop-ups.
std::vector<XWin> PopupWindows();
// A compositor owns the screen's compositing selection.
bool CompositorRunning();
// The program's tray icon (an XEmbed plug) that a tray host holds; 0 when none.
XWin DockedTrayIcon(pid_t pid);
// A plain window of the test's own, full-screen or not; the window manager
// makes it the active one as it maps. Gone with DestroyOwnWindow.
XWin OpenOwnWindow(bool full_screen);
void DestroyOwnWindow(XWin w);
// Asks the window to close as its close button would.
void AskToClose(XWin w);
// Closes the X connection of the client that made the window, as the end of
// the session or a server that goes away does.
void CloseConnectionOf(XWin w);

// XTEST input.
void MovePointer(int x, int y);
void Button(int button, bool down);
void Click(int button, int count = 1);
void Key(const char* keysym);

// ---- The running program ------------------------------------------------

struct Running {
  Process process;
  XWin main = 0;
  XWin shadow = 0;
};
// Parks the pointer away from the window, writes conf when given, starts
// the program and waits until its character shows.
Running Launch(const Program& program, const std::string& dir,
               const std::optional<Conf>& conf = std::nullopt,
               const std::vector<std::string>& env = {});
// Closes the character's window the way the window manager does; exit code.
int CloseAndWait(Running& running);
// A shown window of the program that the window manager holds, other than
// its own: a dialog or box, not the menu on its way out; 0 when none came.
XWin WaitForBox(const Running& running, int timeout_ms = 10000);

// Opens the character's menu with a right click at (x, y) of the window (a
// point of his body when not given); false when no menu came.
bool OpenMenu(const Running& running, int x = -1, int y = -1);
// Opens the character's menu with a right click at (x, y) of the window,
// goes to the command by keys and chooses it. greyed: the commands the menu
// shows grey, which the keys pass over. False when no menu came.
bool ChooseFromMenu(const Running& running, uint16_t command, const std::set<uint16_t>& greyed = {},
                    int x = -1, int y = -1);

// ---- What the core says belongs on screen -------------------------------

// The outline of a frame at a scale.
Mask FrameMask(int frame, int scale);
// Every other scaled pixel of it, as the shadow without a compositor.
Mask Checkered(const Mask& mask, int scale);
// A window pixel of the character's body (not the bubble) in frame 0.
void BodyPoint(int scale, int& x, int& y);
// The picture of this local moment as the preview tool renders it: frame 0,
// the pointer and window origin in screen pixels.
Image ExpectedPicture(const Conf& conf, int pointer_x, int pointer_y, int origin_x, int origin_y,
                      const std::vector<int>& alarms = {});
// The frame whose outline this is; -1 for none.
int FrameOf(const Mask& shape, int scale);

}  // namespace lx
