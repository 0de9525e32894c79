// The character on the window managers users have, each on a display of the
// test's own: he stays on top of his shadow at every start and after the
// window manager restarts, since one window carries both.
#include <optional>
#include <sstream>

#include "tests/linux/fixture.h"

using namespace lx;

namespace {

class Desktops : public Linux {};

// A display with a window manager and a session bus of its own, as a
// user's desktop session has; its configuration lives in the test's
// directory. The driver reads and drives this display while it lives.
class Desktop {
 public:
  Desktop(const std::string& name, const std::vector<std::string>& window_manager)
      : name_("Desktops." + name), dir_(MakeWorkDir(name_)), window_manager_(window_manager) {
    std::string display;
    xvfb_ = StartDisplay(display);
    UseDisplay(display);
    env_ = {"HOME=" + dir_, "XDG_CONFIG_HOME=" + dir_ + "/config",
            "XDG_CACHE_HOME=" + dir_ + "/cache", "XDG_DATA_HOME=" + dir_ + "/data"};
    std::string address;
    bus_ = StartSessionBus(dir_, address, env_);
    env_.push_back("DBUS_SESSION_BUS_ADDRESS=" + address);
    window_manager_process_ = StartTool(window_manager_, env_);
    ready_ = WaitUntil([] { return WindowManagerWindow() != 0; });
    wallpaper_.emplace(0xFFFFFF);
  }
  ~Desktop() {
    wallpaper_.reset();
    Stop(window_manager_process_);
    Stop(bus_);
    UseDisplay("");
    Stop(xvfb_);
  }
  bool ready() const { return ready_; }
  // What the programs and tools of the session get.
  const std::vector<std::string>& env() const { return env_; }
  // A fresh directory for a program's files.
  std::string ProgramDir() const { return MakeWorkDir(name_ + ".program"); }

  // The window manager replaced by a new one of its kind, as a user's
  // restart of it does; true once the new one holds the screen.
  bool RestartWindowManager() {
    const XWin before = WindowManagerWindow();
    std::vector<std::string> argv = window_manager_;
    argv.push_back("--replace");
    Process next = StartTool(argv, env_);
    const bool replaced = WaitUntil([&] {
      const XWin now = WindowManagerWindow();
      return now != 0 && now != before;
    });
    WaitExit(window_manager_process_, 5000);
    window_manager_process_ = next;
    return replaced;
  }

  // A tool of the session run to its end; its exit code.
  int Run(const std::vector<std::string>& argv) {
    Process tool = StartTool(argv, env_);
    return WaitExit(tool);
  }

 private:
  std::string name_;
  std::string dir_;
  std::vector<std::string> window_manager_;
  std::vector<std::string> env_;
  Process xvfb_, bus_, window_manager_process_;
  std::optional<Wallpaper> wallpaper_;
  bool ready_ = false;
};

// The menus still on the screen, for a failure's message.
std::string PopupsLeft() {
  std::ostringstream out;
  for (XWin w : PopupWindows()) out << Bounds(w) << " " << WmClassName(w) << "; ";
  return out.str();
}

bool OnTopOfHisShadow(const Running& r, Shade shade) {
  std::string last;
  const bool shows = WaitUntil([&] { return (last = ScreenShows(r, 2, shade)).empty(); }, 5000);
  EXPECT_TRUE(shows) << last;
  return shows;
}

// Five starts, each read from the screen: him on top of his shadow, drawn
// as shade says, and his menu opening at a right click on his body. The
// window manager restarts during the third, and he stays on top under the
// new one. Returns how many starts showed him on top throughout.
int FiveStarts(Desktop& desktop, Shade shade) {
  int on_top = 0;
  for (int start = 1; start <= 5; ++start) {
    SCOPED_TRACE("start " + std::to_string(start));
    Running r = Launch(kFull, desktop.ProgramDir(), std::nullopt, desktop.env());
    if (r.main == 0) {
      ADD_FAILURE() << "no window";
      continue;
    }
    bool top = OnTopOfHisShadow(r, shade);
    if (start == 3) {
      EXPECT_TRUE(desktop.RestartWindowManager());
      top = OnTopOfHisShadow(r, shade) && top;
    }
    on_top += top;
    EXPECT_TRUE(OpenMenu(r));
    Key("Escape");
    EXPECT_TRUE(WaitUntil([] { return PopupWindows().empty(); })) << PopupsLeft();
    EXPECT_EQ(CloseAndWait(r), 0);
  }
  return on_top;
}

}  // namespace

// openbox keeps a restack's sibling, but flips the stacking of two windows
// after a restart; without a compositor the shadow is a black checkerboard.
TEST_F(Desktops, Openbox) {
  Desktop desktop("openbox", {"openbox", "--sm-disable"});
  ASSERT_TRUE(desktop.ready());
  EXPECT_EQ(FiveStarts(desktop, Shade::Stippled), 5);
}

// Xfce's window manager stacks a second window as it likes at start; its
// compositor, on by default, blends the shadow, and switched off in Xfce's
// settings leaves the checkerboard.
TEST_F(Desktops, Xfwm4WithAndWithoutItsCompositor) {
  Desktop desktop("xfwm4", {"xfwm4"});
  ASSERT_TRUE(desktop.ready());
  ASSERT_TRUE(WaitUntil(CompositorRunning));
  EXPECT_EQ(FiveStarts(desktop, Shade::Blended), 5);
  EXPECT_EQ(desktop.Run({"xfconf-query", "-c", "xfwm4", "-p", "/general/use_compositing", "-n",
                         "-t", "bool", "-s", "false"}),
            0);
  ASSERT_TRUE(WaitUntil([] { return !CompositorRunning(); }));
  EXPECT_EQ(FiveStarts(desktop, Shade::Stippled), 5);
}

// GNOME's window manager, compositing on X11, ignores a restack's sibling
// and lowers the window to the bottom of its layer.
TEST_F(Desktops, Mutter) {
  Desktop desktop("mutter", {"mutter", "--x11", "--sm-disable"});
  ASSERT_TRUE(desktop.ready());
  ASSERT_TRUE(WaitUntil(CompositorRunning));
  EXPECT_EQ(FiveStarts(desktop, Shade::Blended), 5);
}
