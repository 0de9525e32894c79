#include "tests/linux/driver.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <thread>

#include "shell/menu.h"

namespace lx {

const Program kFull = {"kurimaro", "kurimaro", false};
const Program kLite = {"kurimaro-lite", "kurimaro-lite", true};

namespace {

std::vector<pid_t> g_started;           // every process started and not yet reaped
std::vector<std::string> g_program_errs;  // the stderr files of the programs started
int g_starts = 0;                         // programs started, for their files' names

}  // namespace

std::string StateDir() {
  const char* state = std::getenv("KURIMARO_LINUX_STATE");
  return state ? state : "/tmp/kurimaro-linux-e2e";
}

namespace {

void Forget(pid_t pid) {
  for (auto i = g_started.begin(); i != g_started.end(); ++i) {
    if (*i == pid) {
      g_started.erase(i);
      return;
    }
  }
}

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const std::string& err_path) {
  const pid_t pid = fork();
  if (pid != 0) {
    if (pid > 0) g_started.push_back(pid);
    return pid;
  }
  setpgid(0, 0);
  const int null = open("/dev/null", O_RDWR);
  dup2(null, 0);
  dup2(null, 1);
  const int err = err_path.empty() ? null : open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(err, 2);
  for (const std::string& e : env) {
    const size_t eq = e.find('=');
    if (eq == std::string::npos) unsetenv(e.c_str());
    else setenv(e.substr(0, eq).c_str(), e.c_str() + eq + 1, 1);
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

// The desktop the programs see: the test display, and no session bus, so
// that nothing of the host's desktop answers them. A desktop has one, which
// GSettings keeps the file chooser's choices through; without one it would
// try to start one at each, so they stay in memory.
std::vector<std::string> BaseEnv() {
  const std::string runtime = StateDir() + "/run";
  mkdir(runtime.c_str(), 0700);
  return {"DISPLAY=" + TestDisplay(), "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR=" + runtime,
          "NO_AT_BRIDGE=1", "GSETTINGS_BACKEND=memory"};
}

// The position of an entry among the entries the keys stop at in its own menu.
int KeyIndex(const std::vector<MenuEntry>& menu, size_t at, const std::set<uint16_t>& greyed) {
  const int depth = menu[at].depth;
  int index = 0;
  for (size_t i = at; i-- > 0 && menu[i].depth >= depth;) {
    const MenuEntry& e = menu[i];
    if (e.depth == depth && e.kind != MenuKind::Separator && !greyed.count(e.id)) ++index;
  }
  return index;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Rect& r) {
  return out << "(" << r.x << ", " << r.y << ") " << r.w << "x" << r.h;
}

bool Mask::Empty() const {
  for (uint8_t b : bits) {
    if (b) return false;
  }
  return true;
}

std::ostream& operator<<(std::ostream& out, const Mask& m) {
  int count = 0;
  for (uint8_t b : m.bits) count += b;
  return out << m.w << "x" << m.h << " mask of " << count << " pixels";
}

std::string CompareInside(const Image& shown, const Image& expected, const Mask& mask) {
  if (shown.w != expected.w || shown.h != expected.h) {
    return "size " + std::to_string(shown.w) + "x" + std::to_string(shown.h) + ", expected " +
           std::to_string(expected.w) + "x" + std::to_string(expected.h);
  }
  int wrong = 0;
  std::ostringstream first;
  for (int y = 0; y < shown.h; ++y) {
    for (int x = 0; x < shown.w; ++x) {
      const size_t i = static_cast<size_t>(y) * shown.w + x;
      if (!mask.bits[i] || shown.px[i] == expected.px[i]) continue;
      if (wrong++ == 0) {
        first << "first at (" << x << ", " << y << "): " << std::hex << shown.px[i] << " not "
              << expected.px[i];
      }
    }
  }
  return wrong == 0 ? "" : std::to_string(wrong) + " pixels differ, " + first.str();
}

std::string MakeWorkDir(const std::string& name) {
  const std::string dir = StateDir() + "/work/" + name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

int SecondOfDayNow() {
  const std::time_t now = std::time(nullptr);
  std::tm t = {};
  localtime_r(&now, &t);
  return t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec;
}

Process Start(const Program& program, const std::string& dir, const std::vector<std::string>& env,
              const std::vector<std::string>& args) {
  std::vector<std::string> all = BaseEnv();
  all.insert(all.end(), env.begin(), env.end());
  Process p;
  p.stderr_path = StateDir() + "/work/start" + std::to_string(++g_starts) + ".stderr";
  g_program_errs.push_back(p.stderr_path);
  std::vector<std::string> argv = {KURIMARO_GTK_DIR "/" + std::string(program.file), "--dir", dir};
  argv.insert(argv.end(), args.begin(), args.end());
  p.pid = Spawn(argv, all, p.stderr_path);
  return p;
}

Process StartDisplay(std::string& name) {
  int n = 140;
  struct stat info;
  auto taken = [&] {
    const std::string number = std::to_string(n);
    return stat(("/tmp/.X" + number + "-lock").c_str(), &info) == 0 ||
           stat(("/tmp/.X11-unix/X" + number).c_str(), &info) == 0;
  };
  while (taken()) ++n;
  name = ":" + std::to_string(n);
  Process xvfb = StartTool({"Xvfb", name, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
  WaitUntil([&] { return stat(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), &info) == 0; });
  return xvfb;
}

Process StartTool(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  std::vector<std::string> all = BaseEnv();
  all.insert(all.end(), env.begin(), env.end());
  Process p;
  p.pid = Spawn(argv, all, "");
  return p;
}

Process StartSessionBus(const std::string& dir, std::string& address,
                        const std::vector<std::string>& env) {
  const std::string socket = dir + "/bus";
  address = "unix:path=" + socket;
  Process bus = StartTool({"dbus-daemon", "--session", "--nofork", "--nopidfile",
                           "--address=" + address}, env);
  struct stat info;
  if (!WaitUntil([&] { return stat(socket.c_str(), &info) == 0; })) address.clear();
  return bus;
}

// GLib's own format: "(name:pid): Domain-WARNING **: ..." or "-CRITICAL **".
std::string ProgramWarnings() {
  std::string found;
  for (const std::string& path : g_program_errs) {
    std::istringstream lines(ReadFileBytes(path));
    for (std::string line; std::getline(lines, line);) {
      if (line.find("WARNING **") != std::string::npos ||
          line.find("CRITICAL **") != std::string::npos) {
        found += line + "\n";
      }
    }
  }
  g_program_errs.clear();
  return found;
}

int WaitExit(Process& process, int timeout_ms) {
  if (process.pid <= 0) return -1;
  int status = 0;
  const bool ended = WaitUntil([&] { return waitpid(process.pid, &status, WNOHANG) == process.pid; },
                               timeout_ms);
  if (!ended) {
    kill(-process.pid, SIGKILL);
    waitpid(process.pid, &status, 0);
  }
  Forget(process.pid);
  process.pid = -1;
  if (!ended) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::optional<int> Ended(Process& process) {
  int status = 0;
  if (process.pid <= 0 || waitpid(process.pid, &status, WNOHANG) != process.pid) return std::nullopt;
  Forget(process.pid);
  process.pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void Stop(Process& process) {
  if (process.pid <= 0) return;
  kill(-process.pid, SIGTERM);
  WaitExit(process, 5000);
}

void KillStragglers() {
  for (pid_t pid : g_started) {
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  g_started.clear();
}

Running Launch(const Program& program, const std::string& dir, const std::optional<Conf>& conf,
               const std::vector<std::string>& env) {
  // A window mapped under the pointer would take a stale pointer position.
  MovePointer(1270, 1010);
  if (conf) WriteFileBytes(dir + "/" + kConfName, conf->Text());
  Running r;
  r.process = Start(program, dir, env);
  WaitUntil([&] {
    r.main = FindWindow(r.process.pid, "character");
    return r.main && Viewable(r.main);
  });
  return r;
}

int CloseAndWait(Running& running) {
  AskToClose(running.main);
  return WaitExit(running.process);
}

XWin WaitForBox(const Running& r, int timeout_ms) {
  XWin box = 0;
  WaitUntil([&] {
    for (XWin w : ClientsOf(r.process.pid)) {
      if (w != r.main && Viewable(w) && Held(w) && w != DockedTrayIcon(r.process.pid)) box = w;
    }
    return box != 0;
  }, timeout_ms);
  return box;
}

bool OpenMenu(const Running& running, int x, int y) {
  // His scale: the window is 88 cells wide, 91 with the shadow's offset.
  if (x < 0) BodyPoint(Bounds(running.main).w / 88, x, y);
  const Rect at = Bounds(running.main);
  // The menu chosen from before may still be on its way out, and a window
  // that has just changed size may take its new outline a moment later.
  WaitUntil([] { return PopupWindows().empty(); }, 5000);
  WaitUntil([&] {
    const Mask outline = Shape(running.main, true);
    return x < outline.w && y < outline.h && outline.bits[static_cast<size_t>(y * outline.w + x)];
  }, 5000);
  MovePointer(at.x + x, at.y + y);
  Click(3);
  if (!WaitUntil([] { return !PopupWindows().empty(); }, 10000)) return false;
  // The menu takes the keyboard as it maps.
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  return true;
}

bool ChooseFromMenu(const Running& running, uint16_t command, const std::set<uint16_t>& greyed,
                    int x, int y) {
  const std::vector<MenuEntry>& menu = ContextMenu();
  const bool known = std::any_of(menu.begin(), menu.end(),
                                 [command](const MenuEntry& e) { return e.id == command; });
  if (!known || !OpenMenu(running, x, y)) return false;
  KeysToCommand(command, greyed);
  return true;
}

void KeysToCommand(uint16_t command, const std::set<uint16_t>& greyed) {
  const std::vector<MenuEntry>& menu = ContextMenu();
  size_t target = 0;
  while (target < menu.size() && menu[target].id != command) ++target;
  if (target == menu.size()) return;
  // The popups that lead to the command, outermost first, then the command.
  std::vector<size_t> path = {target};
  for (size_t i = target; i-- > 0;) {
    if (menu[i].depth < menu[path.front()].depth) path.insert(path.begin(), i);
  }
  for (size_t level = 0; level < path.size(); ++level) {
    // The top menu opens with nothing selected; a submenu with its first item.
    const int downs = KeyIndex(menu, path[level], greyed) + (level == 0 ? 1 : 0);
    for (int i = 0; i < downs; ++i) Key("Down");
    Key(level + 1 < path.size() ? "Right" : "Return");
  }
}

}  // namespace lx
