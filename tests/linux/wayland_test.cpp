// The character on Wayland desktops, each compositor nested in a virtual X
// display of the test's own and driven through that display's pointer and
// keys: sway, whose layer shell takes him natively, read back with grim.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "resources/resource_ids.h"
#include "tests/linux/fixture.h"

using namespace lx;

namespace {

constexpr int kScale = 2;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kOutputWidth = 800;
constexpr int kOutputHeight = 600;
// sway refuses to run as root; tools/setup.sh makes this user for it.
constexpr char kDesktopUser[] = "kurimaro-desktop";
constexpr char kTerminalId[] = "org.freedesktop.weston.wayland-terminal";

class Wayland : public Linux {};

// A sway session on an X display of its own, through its X11 backend: its
// one output is an 800x600 window at the display's top-left corner, so the
// display's pixels and the output's are the same. The driver's pointer and
// keys go to that display while it lives.
class Sway {
 public:
  Sway() {
    xvfb_ = StartDisplay(outer_);
    UseDisplay(outer_);
    char base[] = "/tmp/kurimaro-sway-XXXXXX";
    if (!mkdtemp(base)) return;
    base_ = base;
    runtime_ = base_ + "/run";
    chmod(base_.c_str(), 0755);
    mkdir(runtime_.c_str(), 0700);
    const std::string config = base_ + "/config";
    WriteFileBytes(config, std::string("xwayland disable\n"
                                       "seat seat0 fallback true\n"
                                       "focus_follows_mouse no\n"
                                       "output * bg #FFFFFF solid_color\n"
                                       "output * mode 800x600\n"
                                       "for_window [app_id=\"") +
                               kTerminalId +
                               "\"] floating enable, move position 0 0, resize set 600 500\n");
    chmod(config.c_str(), 0644);
    std::vector<std::string> argv = {"sway", "-c", config};
    if (getuid() == 0) {
      const passwd* user = getpwnam(kDesktopUser);
      if (!user || chown(runtime_.c_str(), user->pw_uid, user->pw_gid) != 0) return;
      argv.insert(argv.begin(), {"setpriv", "--reuid=" + std::to_string(user->pw_uid),
                                 "--regid=" + std::to_string(user->pw_gid), "--clear-groups"});
    }
    sway_ = StartTool(argv, {"HOME=" + base_, "XDG_CONFIG_HOME=" + base_,
                             "XDG_RUNTIME_DIR=" + runtime_, "WAYLAND_DISPLAY", "SWAYSOCK",
                             "WLR_BACKENDS=x11", "WLR_RENDERER=pixman",
                             "WLR_LIBINPUT_NO_DEVICES=1"});
    ready_ = WaitUntil([&] { return FindSockets() && Msg("-t get_outputs") == 0; });
    // Its pointer follows the display's from where it first enters the output.
    MovePointer(kOutputWidth - 1, kOutputHeight - 1);
    MovePointer(0, 0);
  }
  ~Sway() {
    Stop(sway_);
    UseDisplay("");
    Stop(xvfb_);
    if (!base_.empty()) std::filesystem::remove_all(base_);
  }
  Sway(const Sway&) = delete;
  Sway& operator=(const Sway&) = delete;

  bool ready() const { return ready_; }
  // What a client of the session is given.
  std::vector<std::string> env() const {
    return {"WAYLAND_DISPLAY=" + socket_, "XDG_RUNTIME_DIR=" + runtime_, "SWAYSOCK=" + ipc_};
  }
  // swaymsg's exit code for the words given.
  int Msg(const std::string& words) {
    std::vector<std::string> argv = {"swaymsg"};
    std::istringstream in(words);
    for (std::string word; in >> word;) argv.push_back(word);
    Process msg = StartTool(argv, env());
    return WaitExit(msg);
  }
  // What the output shows there; empty when grim could not read it.
  Image Shot(const Rect& r) {
    const std::string path = base_ + "/shot.ppm";
    std::remove(path.c_str());
    Process grim = StartTool({"grim", "-t", "ppm", "-g",
                              std::to_string(r.x) + "," + std::to_string(r.y) + " " +
                                  std::to_string(r.w) + "x" + std::to_string(r.h),
                              path},
                             env());
    if (WaitExit(grim) != 0) return {};
    return ReadPpm(ReadFileBytes(path));
  }

 private:
  bool FindSockets() {
    for (const auto& entry : std::filesystem::directory_iterator(runtime_)) {
      const std::string name = entry.path().filename();
      if (name.rfind("wayland-", 0) == 0 && name.find(".lock") == std::string::npos) {
        socket_ = name;
      }
      if (name.rfind("sway-ipc.", 0) == 0) ipc_ = entry.path();
    }
    return !socket_.empty() && !ipc_.empty();
  }
  static Image ReadPpm(const std::string& bytes) {
    std::istringstream in(bytes);
    std::string magic;
    int max = 0;
    Image image;
    in >> magic >> image.w >> image.h >> max;
    in.get();
    if (magic != "P6" || max != 255 || image.w <= 0 || image.h <= 0) return {};
    const size_t start = static_cast<size_t>(in.tellg());
    if (bytes.size() < start + static_cast<size_t>(image.w) * image.h * 3) return {};
    image.px.resize(static_cast<size_t>(image.w) * image.h);
    for (size_t i = 0; i < image.px.size(); ++i) {
      const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + start + i * 3);
      image.px[i] = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
    }
    return image;
  }

  std::string outer_, base_, runtime_, socket_, ipc_;
  Process xvfb_, sway_;
  bool ready_ = false;
};

// Half of the white desktop, give or take the rounding of the blend.
bool HalfDark(uint32_t rgb) {
  for (int shift : {0, 8, 16}) {
    const uint32_t c = (rgb >> shift) & 0xFF;
    if (c < 0x70 || c > 0x90) return false;
  }
  return true;
}

Rect BoxAt(int x, int y) { return WindowRect(kFull, x, y, kScale); }

// His coat's colour as the core draws it, at his body's point.
uint32_t Coat() {
  int x = 0, y = 0;
  BodyPoint(kScale, x, y);
  return ExpectedPicture(Conf{}, 0, 0, 100, 100).At(x, y);
}

// What the screen shows of his window at its place over a white desktop:
// the desktop unchanged outside his outline and his shadow's, the desktop
// darkened to half under the shadow beside him, his coat white. "" when it
// does, else what differs first.
std::string ShowsHimOnTheDesktop(const Image& shot) {
  const Mask his = InputShape(kFull, 0, kScale);
  const Mask all = WindowShape(kFull, 0, kScale, Shade::Blended);
  if (shot.w != his.w || shot.h != his.h) return "nothing read";
  for (int y = 0; y < shot.h; ++y) {
    for (int x = 0; x < shot.w; ++x) {
      const size_t i = static_cast<size_t>(y) * shot.w + x;
      const uint32_t got = shot.px[i];
      std::ostringstream at;
      at << " at (" << x << ", " << y << "): " << std::hex << got;
      if (!all.bits[i] && got != kWhite) return "the desktop covered" + at.str();
      if (all.bits[i] && !his.bits[i] && !HalfDark(got)) return "no shadow" + at.str();
    }
  }
  int x = 0, y = 0;
  BodyPoint(kScale, x, y);
  if (shot.At(x, y) != Coat()) return "his coat is not white";
  return "";
}


// His coat's pixel on the screen, for a box at (x, y).
uint32_t CoatShown(Sway& sway, const Rect& box) {
  int x = 0, y = 0;
  BodyPoint(kScale, x, y);
  const Image one = sway.Shot({box.x + x, box.y + y, 1, 1});
  return one.px.empty() ? 0xFFFFFFFFu : one.px[0];
}

// The full edition on the session with the settings given, once the output
// shows him.
Process StartOn(Sway& sway, const std::string& dir, const Conf& conf) {
  WriteFileBytes(dir + "/" + kConfName, conf.Text());
  Process p = Start(kFull, dir, sway.env(), {"--verbose"});
  std::string last;
  EXPECT_TRUE(WaitUntil([&] {
    return (last = ShowsHimOnTheDesktop(sway.Shot(BoxAt(conf.x, conf.y)))).empty();
  })) << last;
  return p;
}

// A right click on his body; true once a menu shows beside him.
bool RightClickHim(Sway& sway, const Rect& box) {
  int x = 0, y = 0;
  BodyPoint(kScale, x, y);
  MovePointer(box.x + x, box.y + y);
  Click(3);
  // The menu hangs down right from the pointer, past his box.
  const Rect beside = {box.x + box.w + 4, box.y + y + 8, 24, 24};
  return WaitUntil([&] {
    const Image shot = sway.Shot(beside);
    for (uint32_t px : shot.px) {
      if (px != kWhite) return true;
    }
    return false;
  }, 5000);
}

// A native floating window with the focus, over all of his box; black.
Process OpenTerminal(Sway& sway, const Rect& box) {
  Process terminal = StartTool({"weston-terminal"}, [&] {
    std::vector<std::string> env = sway.env();
    env.push_back("SHELL=/bin/sh");
    return env;
  }());
  EXPECT_TRUE(WaitUntil([&] {
    const Image corner = sway.Shot({box.x, box.y, 2, 2});
    return !corner.px.empty() && corner.px[0] == 0;
  })) << "no terminal over his box";
  return terminal;
}

std::string StderrOf(const Process& p) { return ReadFileBytes(p.stderr_path); }

}  // namespace

// sway offers layer shell: he is one surface there, cut to his outline with
// his shadow blended beside him, and his menu opens at a right click.
TEST_F(Wayland, SwayShowsHimNativelyWithHisShadowAndMenu) {
  Sway sway;
  ASSERT_TRUE(sway.ready());
  Conf conf;
  Process p = StartOn(sway, Dir(), conf);
  EXPECT_NE(StderrOf(p).find("kurimaro: wayland layer-shell\n"), std::string::npos)
      << StderrOf(p);
  const Rect box = BoxAt(conf.x, conf.y);
  ASSERT_TRUE(RightClickHim(sway, box));
  Key("Escape");
  EXPECT_TRUE(WaitUntil([&] { return ShowsHimOnTheDesktop(sway.Shot(box)).empty(); }, 5000))
      << "the menu stayed";
  Stop(p);
}

// sway counts a held button's moves from where the surface stood at the
// press: he still follows the pointer exactly, and the place is saved.
TEST_F(Wayland, SwayDragMovesHimByTheDragAndSavesThePlace) {
  Sway sway;
  ASSERT_TRUE(sway.ready());
  const std::string dir = Dir();
  Conf conf;
  Process p = StartOn(sway, dir, conf);
  int x = 0, y = 0;
  BodyPoint(kScale, x, y);
  const Rect box = BoxAt(conf.x, conf.y);
  MovePointer(box.x + x, box.y + y);
  Button(1, true);
  for (int step = 1; step <= 10; ++step) {
    MovePointer(box.x + x + step * 6, box.y + y + step * 4);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Button(1, false);
  const Rect moved = BoxAt(conf.x + 60, conf.y + 40);
  MovePointer(kOutputWidth - 1, kOutputHeight - 1);
  std::string last;
  EXPECT_TRUE(WaitUntil([&] { return (last = ShowsHimOnTheDesktop(sway.Shot(moved))).empty(); },
                        5000))
      << last;
  Stop(p);
  const Conf saved = ParseConf(ReadFileBytes(dir + "/" + kConfName));
  EXPECT_EQ(saved.x, conf.x + 60);
  EXPECT_EQ(saved.y, conf.y + 40);
}

// Always on top puts him on the top layer, over a focused floating window;
// switched off in his menu, he goes to the bottom layer, under it.
TEST_F(Wayland, SwayTopmostAboveAFocusedFloatingWindowAndUnderItWhenOff) {
  Sway sway;
  ASSERT_TRUE(sway.ready());
  Conf conf;
  Process p = StartOn(sway, Dir(), conf);
  const Rect box = BoxAt(conf.x, conf.y);
  Process terminal = OpenTerminal(sway, box);
  EXPECT_EQ(CoatShown(sway, box), Coat()) << "under the window";
  ASSERT_TRUE(RightClickHim(sway, box));
  KeysToCommand(ID_TOPMOST);
  EXPECT_TRUE(WaitUntil([&] { return CoatShown(sway, box) == 0; }, 5000)) << "still over it";
  EXPECT_EQ(sway.Msg(std::string("[app_id=") + kTerminalId + "] focus"), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(CoatShown(sway, box), 0u) << "over the focused window";
  Stop(terminal);
  Stop(p);
}

// The top layer is under a full-screen window by the protocol: he needs no
// stepping aside, and shows again when it leaves full screen.
TEST_F(Wayland, SwayFullScreenNativeWindowCoversHim) {
  Sway sway;
  ASSERT_TRUE(sway.ready());
  Conf conf;
  Process p = StartOn(sway, Dir(), conf);
  const Rect box = BoxAt(conf.x, conf.y);
  Process terminal = OpenTerminal(sway, box);
  EXPECT_EQ(sway.Msg(std::string("[app_id=") + kTerminalId + "] fullscreen enable"), 0);
  std::string seen;
  EXPECT_TRUE(WaitUntil([&] {
    const Image shot = sway.Shot(box);
    int his = 0;
    for (uint32_t px : shot.px) his += px != 0;
    seen = std::to_string(his) + " pixels not the window's";
    return !shot.px.empty() && his == 0;
  }, 5000)) << seen;
  EXPECT_EQ(sway.Msg(std::string("[app_id=") + kTerminalId + "] fullscreen disable"), 0);
  EXPECT_TRUE(WaitUntil([&] { return CoatShown(sway, box) == Coat(); }, 5000));
  Stop(terminal);
  Stop(p);
}
