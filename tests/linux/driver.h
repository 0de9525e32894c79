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
  uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};
// Where the two differ inside mask, as a short text; "" when they agree.
std::string CompareInside(const Image& shown, const Image& expected, const Mask& mask);

// ---- Files --------------------------------------------------------------

// Where the run keeps its display's name and the tests' directories.
std::string StateDir();
// The test display's name, as ":N": the shared one, or the one a test
// switched to with UseDisplay ("" switches back). The driver's connection
// to the one it leaves closes at once, while that display still runs.
const std::string& TestDisplay();
void UseDisplay(const std::string& name);
// A fresh, empty directory for one test, under the run's state directory.
std::string MakeWorkDir(const std::string& name);
int SecondOfDayNow();

// ---- Processes ----------------------------------------------------------

struct Process {
  pid_t pid = -1;
  std::string stderr_path;  // what the program wrote there
};
// Starts the program with --dir dir and args on the test display. env:
// "NAME=value" sets a variable, "NAME" removes it.
Process Start(const Program& program, const std::string& dir,
              const std::vector<std::string>& env = {},
              const std::vector<std::string>& args = {});
// A helper program (compositor, tray host), ended by Stop or at the test's
// end; env as for Start.
Process StartTool(const std::vector<std::string>& argv, const std::vector<std::string>& env = {});
// A virtual X display of the test's own (1280x1024, 24 bits), on the first
// free number from 140; its name as ":N" is given once it accepts clients.
Process StartDisplay(std::string& name);
// A session bus of the test's own in dir; its address is given, "" when it
// did not come up.
Process StartSessionBus(const std::string& dir, std::string& address,
                        const std::vector<std::string>& env = {});
// GLib's warnings and criticals (Gtk-WARNING, Gdk-CRITICAL and the like)
// that the programs started since the last call printed, one per line;
// "" when there were none.
std::string ProgramWarnings();
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
// The window's own pixels, its top-left w x h (all of it for 0).
Image Grab(XWin w, int width = 0, int height = 0);
// What the screen shows there, whatever window or compositor draws it.
Image GrabScreen(const Rect& r);
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
// The window that holds the screen's window-manager selection: each window
// manager's own; 0 when none runs.
XWin WindowManagerWindow();
// The desktop's background in one colour, as a desktop sets its wallpaper:
// the root window's and the pixmap compositors paint. Gone with the object.
class Wallpaper {
 public:
  explicit Wallpaper(uint32_t rgb);
  ~Wallpaper();
  Wallpaper(const Wallpaper&) = delete;
  Wallpaper& operator=(const Wallpaper&) = delete;

 private:
  unsigned long pixmap_;
};
// A system tray owns the screen's tray selection.
bool TrayHostRunning();
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
// Holds or lets go of the pointer for a window of the test's own, as another
// program's menu or drag does.
void GrabPointer(bool hold);
void Button(int button, bool down);
void Click(int button, int count = 1);
void Key(const char* keysym);

// ---- The running program ------------------------------------------------

// The character's one window carries his shadow too.
struct Running {
  Process process;
  XWin main = 0;
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

// In a menu just opened, goes to the command by keys and chooses it;
// greyed as for ChooseFromMenu.
void KeysToCommand(uint16_t command, const std::set<uint16_t>& greyed = {});

// ---- What the core says belongs on screen -------------------------------

// The outline of a frame at a scale, over the picture's size.
Mask FrameMask(int frame, int scale);
// The character's window at (x, y): his picture and the shadow's offset
// right and down (none for the lite edition), in device pixels.
Rect WindowRect(const Program& program, int x, int y, int scale);
// How the shadow shows: not at all, every other cell of it in black (no
// compositor), or all of it blended half black.
enum class Shade { Off, Stippled, Blended };
// The window's bounding shape: frame's outline and the shadow's cells as
// shade says, over the window's size.
Mask WindowShape(const Program& program, int frame, int scale, Shade shade);
// His outline alone over the window's size: its input shape.
Mask InputShape(const Program& program, int frame, int scale);
// What the screen shows of the running full edition at the scale: every
// pixel of his outline as his window holds it (nothing over him, nothing
// dimmed), and the shadow as shade says over the desktop beside it. "" when
// it does, else what differs.
std::string ScreenShows(const Running& running, int scale, Shade shade);
// A window pixel of the character's body (not the bubble) in frame 0.
void BodyPoint(int scale, int& x, int& y);
// The picture of this local moment as the preview tool renders it: frame 0,
// the pointer and window origin in screen pixels.
Image ExpectedPicture(const Conf& conf, int pointer_x, int pointer_y, int origin_x, int origin_y,
                      const std::vector<int>& alarms = {});
// The frame whose outline this is (his picture's size, or larger with
// nothing beyond it); -1 for none.
int FrameOf(const Mask& shape, int scale);

}  // namespace lx
