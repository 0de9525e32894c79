// The character on Wayland desktops, each compositor nested in a virtual X
// display of the test's own and driven through that display's pointer and
// keys: sway, whose layer shell takes him natively, read back with grim;
// weston, which offers none, so that he takes the X11 path through XWayland.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "render/sprites.h"
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

// A compositor's X display, made the driver's, and a folder of its own with
// its runtime directory inside.
bool StartSession(const std::string& name, std::string& outer, Process& xvfb, std::string& base,
                  std::string& runtime) {
  xvfb = StartDisplay(outer);
  UseDisplay(outer);
  std::string pattern = "/tmp/kurimaro-" + name + "-XXXXXX";
  if (!mkdtemp(pattern.data())) return false;
  base = pattern;
  runtime = base + "/run";
  mkdir(runtime.c_str(), 0700);
  return true;
}

// The compositor, then its display and its folder.
void EndSession(Process& compositor, Process& xvfb, const std::string& base) {
  Stop(compositor);
  UseDisplay("");
  Stop(xvfb);
  if (!base.empty()) std::filesystem::remove_all(base);
}

// A sway session on an X display of its own, through its X11 backend: its
// one output is an 800x600 window at the display's top-left corner, so the
// display's pixels and the output's are the same. The driver's pointer and
// keys go to that display while it lives.
class Sway {
 public:
  Sway() {
    if (!StartSession("sway", outer_, xvfb_, base_, runtime_)) return;
    chmod(base_.c_str(), 0755);  // its own user runs it
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
    EndSession(sway_, xvfb_, base_);
  }
  Sway(const Sway&) = delete;
  Sway& operator=(const Sway&) = delete;

  bool ready() const { return ready_; }
  // Ends the compositor, as the end of the session does.
  void End() { Stop(sway_); }
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

std::string PixelAt(int x, int y, uint32_t rgb) {
  std::ostringstream at;
  at << " at (" << x << ", " << y << "): " << std::hex << rgb;
  return at.str();
}

// What the screen shows of his window at its place over a white desktop:
// the desktop unchanged outside his outline and his shadow's, the desktop
// darkened to half under the shadow beside him, his coat white. "" when it
// does, else what differs first.
std::string ShowsFrameOnTheDesktop(const Image& shot, int frame) {
  const Mask his = InputShape(kFull, frame, kScale);
  const Mask all = WindowShape(kFull, frame, kScale, Shade::Blended);
  if (shot.w != his.w || shot.h != his.h) return "nothing read";
  for (int y = 0; y < shot.h; ++y) {
    for (int x = 0; x < shot.w; ++x) {
      const size_t i = static_cast<size_t>(y) * shot.w + x;
      const uint32_t got = shot.px[i];
      const char* wrong = !all.bits[i] && got != kWhite                   ? "the desktop covered"
                          : all.bits[i] && !his.bits[i] && !HalfDark(got) ? "no shadow"
                                                                          : nullptr;
      if (wrong) return wrong + PixelAt(x, y, got);
    }
  }
  int x = 0, y = 0;
  BodyPoint(kScale, x, y);
  if (shot.At(x, y) != Coat()) return "his coat is not white";
  return "";
}

// He idles through frames of other outlines now and then: any of them.
template <typename Shows>
std::string InAnyFrame(const Image& shot, Shows shows) {
  const std::string first = shows(shot, 0);
  for (int frame = 1; frame < kFrameCount && !first.empty(); ++frame) {
    if (shows(shot, frame).empty()) return "";
  }
  return first;
}

std::string ShowsHimOnTheDesktop(const Image& shot) {
  return InAnyFrame(shot, ShowsFrameOnTheDesktop);
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

// A right click on his body; true once shown says his menu is up.
template <typename Shown>
bool RightClickHim(const Rect& box, Shown shown) {
  int x = 0, y = 0;
  BodyPoint(kScale, x, y);
  MovePointer(box.x + x, box.y + y);
  Click(3);
  if (!WaitUntil(shown, 5000)) return false;
  // The menu takes the keyboard as it maps.
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  return true;
}

// The same on sway, where a menu shows down right from the pointer, past his
// box, over whatever was there before.
bool RightClickHim(Sway& sway, const Rect& box) {
  int y = 0, x = 0;
  BodyPoint(kScale, x, y);
  const Rect beside = {box.x + box.w + 4, box.y + y + 8, 24, 24};
  const Image before = sway.Shot(beside);
  return RightClickHim(box, [&] { return sway.Shot(beside).px != before.px; });
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
// press: he still follows the pointer exactly, and the place is saved when
// the session ends with the compositor going away.
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
  sway.End();
  EXPECT_EQ(WaitExit(p), 0);
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

namespace {

// A weston session on an X display of its own, through its X11 backend,
// with XWayland: its output is an 800x600 window at the display's top-left
// corner, so the display's pixels and the output's are the same.
class Weston {
 public:
  Weston() {
    if (!StartSession("weston", outer_, xvfb_, base_, runtime_)) return;
    const std::string config = base_ + "/weston.ini";
    WriteFileBytes(config,
                   "[core]\nidle-time=0\n"
                   "[shell]\nbackground-color=0xffffffff\npanel-position=none\nlocking=false\n"
                   "animation=none\nstartup-animation=none\n");
    const std::string log = base_ + "/weston.log";
    weston_ = StartTool({"weston", "--config=" + config, "--backend=x11-backend.so",
                         "--xwayland", "--width=800", "--height=600", "--socket=wayland-test",
                         "--log=" + log},
                        {"HOME=" + base_, "XDG_RUNTIME_DIR=" + runtime_, "WAYLAND_DISPLAY"});
    // It names the X display it listens on for XWayland's clients.
    const std::string said = "xserver listening on display ";
    ready_ = WaitUntil([&] {
      const std::string text = ReadFileBytes(log);
      const size_t at = text.find(said);
      if (at == std::string::npos) return false;
      xwayland_ = text.substr(at + said.size(), text.find('\n', at) - at - said.size());
      return true;
    });
  }
  ~Weston() {
    EndSession(weston_, xvfb_, base_);
  }
  Weston(const Weston&) = delete;
  Weston& operator=(const Weston&) = delete;

  bool ready() const { return ready_; }
  const std::string& outer() const { return outer_; }
  const std::string& xwayland() const { return xwayland_; }
  // A client of the session: Wayland's display, and XWayland's for X.
  std::vector<std::string> env() const {
    return {"WAYLAND_DISPLAY=wayland-test", "XDG_RUNTIME_DIR=" + runtime_,
            "DISPLAY=" + xwayland_};
  }

 private:
  std::string outer_, base_, runtime_, xwayland_;
  Process xvfb_, weston_;
  bool ready_ = false;
};

// weston ignores an X window's shape and draws its own soft shadow round
// each undecorated one: outside his outline and his shadow, nothing of his
// window may show dark (his black box did), and beyond that shadow's band
// the white desktop shows. "" when so.
std::string FrameCutOutUnderWeston(const Image& shot, int frame) {
  constexpr int kWestonShadow = 36;  // its band inside the window's edges
  const Mask all = WindowShape(kFull, frame, kScale, Shade::Blended);
  if (shot.w != all.w || shot.h != all.h) return "nothing read";
  for (int y = 0; y < shot.h; ++y) {
    for (int x = 0; x < shot.w; ++x) {
      const size_t i = static_cast<size_t>(y) * shot.w + x;
      if (all.bits[i]) continue;
      const uint32_t got = shot.px[i];
      const bool inner = x >= kWestonShadow && y >= kWestonShadow && x < shot.w - kWestonShadow &&
                         y < shot.h - kWestonShadow;
      if ((got & 0xFF) < 0x60) return "dark outside his outline" + PixelAt(x, y, got);
      if (inner && got != kWhite) return "the desktop covered" + PixelAt(x, y, got);
    }
  }
  int x = 0, y = 0;
  BodyPoint(kScale, x, y);
  if (shot.At(x, y) != Coat()) return "his coat is not white";
  return "";
}

std::string CutOutUnderWeston(const Image& shot) {
  return InAnyFrame(shot, FrameCutOutUnderWeston);
}

Image Crop(const Image& from, const Rect& r) {
  Image out{r.w, r.h, std::vector<uint32_t>(static_cast<size_t>(r.w) * r.h)};
  for (int y = 0; y < r.h; ++y) {
    for (int x = 0; x < r.w; ++x) out.px[static_cast<size_t>(y) * r.w + x] = from.At(r.x + x, r.y + y);
  }
  return out;
}

// weston places an X window where it likes and tells XWayland another
// place: his box is looked for on the output, where his coat shows and the
// box round it is cut out; empty when there is none.
// Points of his lower body, which neither the clock, the eyes nor the
// pointer change, with their colours where they are not the desktop's white:
// a place that shows them all is worth the whole look, and on a white
// desktop his white coat alone would make every place one.
struct Sample {
  int x, y;
  uint32_t rgb;
};
std::vector<Sample> BodySamples() {
  const Image expected = ExpectedPicture(Conf{}, 0, 0, 100, 100);
  const Mask still = WindowShape(kFull, 0, kScale, Shade::Off);
  std::vector<Sample> samples;
  for (int y = expected.h / 2; y < expected.h && samples.size() < 12; y += 3) {
    for (int x = kBubbleWidth * kScale; x < expected.w && samples.size() < 12; x += 5) {
      const uint32_t rgb = expected.At(x, y);
      if (x < still.w && y < still.h && still.bits[static_cast<size_t>(y) * still.w + x] &&
          rgb != kWhite) {
        samples.push_back({x, y, rgb});
      }
    }
  }
  return samples;
}

Rect FindHimUnderWeston() {
  const Image output = GrabScreen({0, 0, kOutputWidth, kOutputHeight});
  const Rect size = BoxAt(0, 0);
  int bx = 0, by = 0;
  BodyPoint(kScale, bx, by);
  if (output.px.empty()) return {};
  static const std::vector<Sample> samples = BodySamples();
  const uint32_t coat = Coat();
  for (int y = 0; y + size.h <= output.h; ++y) {
    for (int x = 0; x + size.w <= output.w; ++x) {
      if (output.At(x + bx, y + by) != coat) continue;
      bool all = true;
      for (const Sample& s : samples) all = all && output.At(x + s.x, y + s.y) == s.rgb;
      if (!all) continue;
      const Rect box = {x, y, size.w, size.h};
      if (CutOutUnderWeston(Crop(output, box)).empty()) return box;
    }
  }
  return {};
}

}  // namespace

// Without layer shell he takes the X11 path through XWayland: his pixels
// outside the outline are clear, so he shows cut out, and his menu opens.
// The open menu gets neither keys nor clicks from weston here; the end of
// the program closes it.
TEST_F(Wayland, WestonThroughXWaylandCutOutWithHisMenu) {
  Weston weston;
  ASSERT_TRUE(weston.ready());
  const std::string dir = Dir();
  WriteFileBytes(dir + "/" + kConfName, Conf{}.Text());
  Process p = Start(kFull, dir, weston.env(), {"--verbose"});
  EXPECT_TRUE(WaitUntil([&] { return StderrOf(p).find("kurimaro: x11\n") != std::string::npos; }))
      << StderrOf(p);
  UseDisplay(weston.xwayland());
  EXPECT_TRUE(WaitUntil([&] {
    const XWin main = FindWindow(p.pid, "character");
    return main && Viewable(main);
  }));
  UseDisplay(weston.outer());
  // weston follows the display's pointer only from where it enters its
  // output, and shows a new X window once the pointer moves there.
  MovePointer(1279, 1023);
  MovePointer(kOutputWidth - 1, kOutputHeight - 1);
  Rect box;
  ASSERT_TRUE(WaitUntil([&] { return (box = FindHimUnderWeston()).w > 0; }))
      << "not shown cut out";
  // The menu is an X window of its own, whose place weston keeps as XWayland
  // has it, not where it shows the character.
  EXPECT_TRUE(RightClickHim(box, [&] {
    UseDisplay(weston.xwayland());
    const bool open = !PopupWindows().empty();
    UseDisplay(weston.outer());
    return open;
  }));
  Stop(p);
}
