// The program's files, its single instance and what it does with bad input.
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "resources/resource_ids.h"
#include "tests/linux/fixture.h"

using namespace lx;

namespace {

class Files : public Linux {};

// A settings file as the Windows programs write it.
constexpr char kWindowsFile[] =
    "$viewscale = 3\r\n$shadow = 0\r\n$alerm = 1\r\n$24 = 1\r\n$topmost = 0\r\n$movelock = 1\r\n"
    "$calendar = 0\r\n$hide = 0\r\n$sd = 1\r\n$al_time = 2\r\n&sd_file = \"\"\r\n"
    "$pos_x = 300\r\n$pos_y = 200\r\n";

int Lines(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

}  // namespace

// A file the Windows program wrote reads the same here and comes back byte
// for byte; the same commands write the bytes the Windows program writes.
TEST_F(Files, SettingsBytesAcrossSystems) {
  {
    const std::string dir = Dir();
    WriteFileBytes(dir + "/" + kConfName, kWindowsFile);
    Running r = Launch(kFull, dir);
    ASSERT_NE(r.main, 0u);
    EXPECT_EQ(Bounds(r.main), WindowRect(kFull, 300, 200, 3));
    EXPECT_TRUE(WaitUntil([&] { return Shape(r.main) == WindowShape(kFull, 0, 3, Shade::Off); }));
    EXPECT_FALSE(HasNetWmState(r.main, "_NET_WM_STATE_ABOVE"));
    EXPECT_EQ(CloseAndWait(r), 0);
    EXPECT_EQ(ReadFileBytes(dir + "/" + kConfName), kWindowsFile);
  }
  {
    const std::string dir = Dir();
    Running r = Launch(kFull, dir);
    ASSERT_NE(r.main, 0u);
    ASSERT_TRUE(ChooseFromMenu(r, ID_SIZE_X1 + 3));
    ASSERT_TRUE(WaitUntil([&] { return Bounds(r.main) == WindowRect(kFull, 100, 100, 4); }));
    for (int command : {ID_SHADOW, ID_TOPMOST, ID_HOUR24, ID_PLAY_30S}) {
      ASSERT_TRUE(ChooseFromMenu(r, static_cast<uint16_t>(command)));
    }
    EXPECT_EQ(CloseAndWait(r), 0);
    EXPECT_EQ(ReadFileBytes(dir + "/" + kConfName),
              "$viewscale = 4\r\n$shadow = 0\r\n$alerm = 0\r\n$24 = 1\r\n$topmost = 0\r\n"
              "$movelock = 0\r\n$calendar = 1\r\n$hide = 0\r\n$sd = 0\r\n$al_time = 2\r\n"
              "&sd_file = \"\"\r\n$pos_x = 100\r\n$pos_y = 100\r\n");
  }
}

// Twenty starts of the two editions at once in one directory leave exactly
// one running; the others show their box, which closes, and exit 0.
TEST_F(Files, SingleInstance) {
  const std::string dir = Dir();
  std::vector<Process> starts;
  for (int i = 0; i < 20; ++i) starts.push_back(Start(i % 2 ? kLite : kFull, dir));
  std::vector<int> codes;
  WaitUntil([&] {
    for (Process& p : starts) {
      if (p.pid <= 0) continue;
      if (const std::optional<int> code = Ended(p)) {
        codes.push_back(*code);
        continue;
      }
      // The box, told by its type: a start without a character shown yet
      // may still be the winner.
      for (XWin w : ClientsOf(p.pid)) {
        if (Viewable(w) && IsDialog(w)) AskToClose(w);
      }
    }
    return codes.size() >= 19;
  }, 90000);
  EXPECT_EQ(codes, std::vector<int>(19, 0));
  int alive = 0;
  for (Process& p : starts) {
    if (p.pid <= 0) continue;
    ++alive;
    // The one that won may still be making its windows.
    Running r{p, 0};
    EXPECT_TRUE(WaitUntil([&] { return (r.main = FindWindow(p.pid, "character")) != 0; }));
    EXPECT_EQ(CloseAndWait(r), 0);
  }
  EXPECT_EQ(alive, 1);
}

// No display: exit 2 with one line. A settings directory that cannot be
// made: the program runs with the start-up settings and ends normally. A
// broken settings file reads as zeros, as on Windows (x1 at the top left);
// a broken alarm file is read as far as it goes and left as it was.
TEST_F(Files, BadInput) {
  for (const char* display : {"DISPLAY", "DISPLAY=:987"}) {
    Process p = Start(kFull, Dir(), {display});
    EXPECT_EQ(WaitExit(p), 2) << display;
    const std::string err = ReadFileBytes(p.stderr_path);
    EXPECT_EQ(Lines(err), 1) << err;
    EXPECT_NE(err.find("display"), std::string::npos) << err;
  }
  {
    const std::string dir = Dir();
    WriteFileBytes(dir + "/file", "");
    Running r = Launch(kFull, dir + "/file/settings");
    ASSERT_NE(r.main, 0u);
    EXPECT_EQ(Bounds(r.main), WindowRect(kFull, 100, 100, 2));
    EXPECT_EQ(CloseAndWait(r), 0);
  }
  {
    const std::string dir = Dir();
    const std::string alarms = "25:99:99\nhello\n7:\x1a\xff\xfe";
    WriteFileBytes(dir + "/" + kAlarmName, alarms);
    WriteFileBytes(dir + "/" + kConfName, std::string("\xff\xfe$viewscale = banana\r\n\0\0", 25));
    Running r = Launch(kFull, dir);
    ASSERT_NE(r.main, 0u);
    EXPECT_EQ(Bounds(r.main), WindowRect(kFull, 0, 0, 1));
    EXPECT_TRUE(WaitUntil([&] { return FrameOf(Shape(r.main, true), 1) == 0; }));
    EXPECT_EQ(CloseAndWait(r), 0);
    EXPECT_EQ(ReadFileBytes(dir + "/" + kAlarmName), alarms);
    EXPECT_NE(ReadFileBytes(dir + "/" + kConfName).find("$viewscale = 1\r\n"), std::string::npos);
  }
}

// A settings file a dotfile manager links elsewhere is written where the
// link points, keeps its mode, and stays linked. The lock lives in the
// runtime directory, not with the files; where none can be made the program
// runs and says so once.
TEST_F(Files, LinkedSettingsAndTheLock) {
  namespace fs = std::filesystem;
  const std::string dir = Dir();
  const std::string runtime = dir + "/run";
  fs::create_directories(dir + "/dotfiles");
  fs::create_directories(runtime);
  const std::string target = dir + "/dotfiles/kurimaro.conf";
  WriteFileBytes(target, "$viewscale = 2\r\n$shadow = 1\r\n$topmost = 1\r\n$calendar = 1\r\n");
  chmod(target.c_str(), 0644);
  fs::create_symlink("dotfiles/kurimaro.conf", dir + "/" + kConfName);
  Running r = Launch(kFull, dir, std::nullopt, {"XDG_RUNTIME_DIR=" + runtime});
  ASSERT_NE(r.main, 0u);
  EXPECT_TRUE(fs::exists(runtime + "/kurimaro.lock"));
  EXPECT_FALSE(fs::exists(dir + "/.kurimaro.lock"));
  ASSERT_TRUE(ChooseFromMenu(r, ID_SIZE_X1 + 2));
  ASSERT_TRUE(WaitUntil([&] { return Bounds(r.main).w == WindowRect(kFull, 0, 0, 3).w; }));
  kill(r.process.pid, SIGTERM);
  EXPECT_EQ(WaitExit(r.process), 0);
  EXPECT_TRUE(fs::is_symlink(dir + "/" + kConfName));
  EXPECT_NE(ReadFileBytes(target).find("$viewscale = 3\r\n"), std::string::npos);
  struct stat info = {};
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  EXPECT_FALSE(fs::exists(runtime + "/kurimaro.lock")) << "the lock's file goes with it";

  // A runtime directory that is a file: no lock, one line, and it runs.
  WriteFileBytes(dir + "/not-a-dir", "");
  Running unlocked = Launch(kFull, dir, std::nullopt, {"XDG_RUNTIME_DIR=" + dir + "/not-a-dir"});
  ASSERT_NE(unlocked.main, 0u);
  EXPECT_EQ(CloseAndWait(unlocked), 0);
  const std::string err = ReadFileBytes(unlocked.process.stderr_path);
  EXPECT_EQ(Lines(err), 1) << err;
  EXPECT_NE(err.find("lock"), std::string::npos) << err;
}

// Each way the program can be ended from outside writes the settings as they
// are, within a second, and leaves nothing in its directory but its two
// files: the signals a terminal or the system sends, also while his menu or
// a box waits for the user (as at log-out), and the X connection closed
// under it as at the end of the desktop session.
TEST_F(Files, EveryEndingWritesTheSettings) {
  auto term = [](const Running& r) { return kill(r.process.pid, SIGTERM) == 0; };
  const std::vector<std::pair<std::string, std::function<bool(const Running&)>>> endings = {
      {"SIGTERM", term},
      {"SIGINT", [](const Running& r) { return kill(r.process.pid, SIGINT) == 0; }},
      {"SIGHUP", [](const Running& r) { return kill(r.process.pid, SIGHUP) == 0; }},
      {"SIGTERM with the menu open", [&](const Running& r) { return OpenMenu(r) && term(r); }},
      {"SIGTERM with the about box open",
       [&](const Running& r) {
         return ChooseFromMenu(r, ID_ABOUT, {ID_TRAY}) && WaitForBox(r) != 0 && term(r);
       }},
      {"the display lost",
       [](const Running& r) {
         CloseConnectionOf(r.main);
         return true;
       }},
  };
  for (const auto& [name, end] : endings) {
    SCOPED_TRACE(name);
    const std::string dir = MakeWorkDir("Files.EveryEnding." + name);
    Running r = Launch(kFull, dir);
    ASSERT_NE(r.main, 0u);
    ASSERT_TRUE(ChooseFromMenu(r, ID_SIZE_X1 + 2));
    ASSERT_TRUE(WaitUntil([&] { return Bounds(r.main) == WindowRect(kFull, 100, 100, 3); }));
    ASSERT_TRUE(end(r));
    EXPECT_EQ(WaitExit(r.process, 1000), 0);
    EXPECT_NE(ReadFileBytes(dir + "/" + kConfName).find("$viewscale = 3\r\n"), std::string::npos);
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      left.insert(entry.path().filename().string());
    }
    EXPECT_EQ(left, (std::set<std::string>{kAlarmName, kConfName}));
  }
}
