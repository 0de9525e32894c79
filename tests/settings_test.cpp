#include "settings/settings.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "settings/atomic_file.h"
#include "settings/conf_file.h"

namespace {

constexpr ScreenRect kScreen = {0, 0, 1280, 1024};

struct Loaded {
  Settings settings;
  ScreenPoint pos;
};

Loaded FromText(const std::string& text, Edition edition = Edition::Full,
                const ScreenRect& screen = kScreen) {
  ConfFile conf;
  conf.Parse(text);
  Loaded loaded;
  loaded.pos = ApplySettings(loaded.settings, conf, edition, screen);
  return loaded;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(SettingsTest, MissingFileKeepsStartUpValues) {
  Settings settings;
  const ScreenPoint pos = LoadSettings(settings, "/nonexistent/KurimaroConf.dat", Edition::Full,
                                         {0, 0, 50, 50});
  EXPECT_EQ(pos.x, 100);  // not compared with the (tiny) screen
  EXPECT_EQ(pos.y, 100);
  EXPECT_EQ(FormatSettings(settings, 100, 100),
            "$viewscale = 2\r\n$shadow = 1\r\n$alerm = 0\r\n$24 = 0\r\n$topmost = 1\r\n"
            "$movelock = 0\r\n$calendar = 1\r\n$hide = 0\r\n$sd = 0\r\n$al_time = 0\r\n"
            "&sd_file = \"\"\r\n$pos_x = 100\r\n$pos_y = 100\r\n");
}

TEST(SettingsTest, EmptyFileReadsEveryKeyAsZero) {
  const Loaded loaded = FromText("// nothing usable\n");
  EXPECT_EQ(FormatSettings(loaded.settings, loaded.pos.x, loaded.pos.y),
            "$viewscale = 1\r\n$shadow = 0\r\n$alerm = 0\r\n$24 = 0\r\n$topmost = 0\r\n"
            "$movelock = 0\r\n$calendar = 0\r\n$hide = 0\r\n$sd = 0\r\n$al_time = 0\r\n"
            "&sd_file = \"\"\r\n$pos_x = 0\r\n$pos_y = 0\r\n");
}

TEST(SettingsTest, Clamps) {
  struct Row {
    const char* text;
    int full_scale, lite_scale, sd, al_time;
  };
  const Row rows[] = {
      {"$viewscale=0", 1, 1, 0, 0},       {"$viewscale=-7", 1, 1, 0, 0},
      {"$viewscale=5", 5, 5, 0, 0},       {"$viewscale=6", 6, 5, 0, 0},
      {"$viewscale=8", 8, 5, 0, 0},       {"$viewscale=10", 10, 5, 0, 0},
      {"$viewscale=11", 10, 5, 0, 0},     {"$viewscale=99999999999", 10, 5, 0, 0},
      {"$sd=7\n$al_time=7", 1, 1, 3, 3},  {"$sd=-1\n$al_time=-1", 1, 1, 0, 0},
      {"$sd=2\n$al_time=1", 1, 1, 2, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const Loaded full = FromText(row.text, Edition::Full);
    EXPECT_EQ(full.settings.scale, row.full_scale);
    EXPECT_EQ(full.settings.sound, row.sd);
    EXPECT_EQ(full.settings.play_time, row.al_time);
    EXPECT_EQ(FromText(row.text, Edition::Lite).settings.scale, row.lite_scale);
  }
}

TEST(SettingsTest, BooleansAreAnyNonZeroAndSavedAsOne) {
  const Loaded loaded = FromText("$shadow=5\n$alerm=-1\n$24=1\n$topmost=0\n$movelock=2\n"
                                 "$calendar=1\n$hide=7\n");
  EXPECT_EQ(FormatSettings(loaded.settings, 0, 0),
            "$viewscale = 1\r\n$shadow = 1\r\n$alerm = 1\r\n$24 = 1\r\n$topmost = 0\r\n"
            "$movelock = 1\r\n$calendar = 1\r\n$hide = 1\r\n$sd = 0\r\n$al_time = 0\r\n"
            "&sd_file = \"\"\r\n$pos_x = 0\r\n$pos_y = 0\r\n");
}

TEST(SettingsTest, SoundFileDropsFirstAndLastCharacter) {
  const std::pair<std::string, std::string> rows[] = {
      {"&sd_file = \"\"", ""},
      {"&sd_file = \"C:\\My Sounds\\bell.wav\"", "C:\\My Sounds\\bell.wav"},
      {"&sd_file = \"C:\\a;b.wav\"", "C:\\a;b.wav"},
      {"&sd_file = abc", "b"},
      {"&sd_file = x", ""},
      {"$sd_file = 5", ""},
      {"&sd_file = \"" + std::string(600, 'p') + "\"", std::string(511, 'p')},
  };
  for (const auto& [text, expected] : rows) {
    SCOPED_TRACE(text);
    EXPECT_EQ(FromText(text).settings.sound_file, expected);
  }
}

TEST(SettingsTest, StartPositionStaysOnTheVirtualScreen) {
  struct Row {
    const char* text;
    ScreenRect screen;
    int x, y;
  };
  const Row rows[] = {
      {"$pos_x=-50\n$pos_y=-1", kScreen, 0, 0},
      {"$pos_x=0\n$pos_y=1", kScreen, 0, 1},
      {"$pos_x=5000\n$pos_y=5000", kScreen, 1280 - 88, 1024 - 80},
      {"$pos_x=1192\n$pos_y=944", kScreen, 1192, 944},
      {"$viewscale=3\n$pos_x=5000\n$pos_y=5000", kScreen, 1280 - 264, 1024 - 240},
      // A screen smaller than the window: the far edge wins, left of zero.
      {"$viewscale=10\n$pos_x=5\n$pos_y=5", {0, 0, 640, 480}, 640 - 880, 480 - 800},
      // A monitor left of and above the main one: negative positions stay.
      {"$pos_x=-1000\n$pos_y=-200", {-1920, -300, 3200, 1380}, -1000, -200},
      {"$pos_x=-3000\n$pos_y=-900", {-1920, -300, 3200, 1380}, -1920, -300},
      {"$pos_x=0\n$pos_y=0", {-1920, -300, 3200, 1380}, 0, 0},
      {"$pos_x=5000\n$pos_y=5000", {-1920, -300, 3200, 1380}, 1280 - 88, 1080 - 80},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const Loaded loaded = FromText(row.text, Edition::Full, row.screen);
    EXPECT_EQ(loaded.pos.x, row.x);
    EXPECT_EQ(loaded.pos.y, row.y);
  }
}

TEST(SettingsTest, SaveThenLoadGivesTheSameRecord) {
  Settings saved;
  saved.scale = 7;
  saved.shadow = false;
  saved.show_alarm = true;
  saved.hour24 = true;
  saved.move_lock = true;
  saved.in_tray = true;
  saved.sound = 3;
  saved.play_time = 2;
  std::snprintf(saved.sound_file, sizeof saved.sound_file, "%s", "D:\\sounds; mine\\\tbell =1.wav");
  const std::string path = testing::TempDir() + "settings_roundtrip.dat";
  std::remove(path.c_str());
  ASSERT_TRUE(SaveSettings(saved, 300, 200, path.c_str()));

  Settings loaded;
  const ScreenPoint pos = LoadSettings(loaded, path.c_str(), Edition::Full, kScreen);
  EXPECT_EQ(FormatSettings(loaded, pos.x, pos.y), FormatSettings(saved, 300, 200));
  EXPECT_EQ(ReadAll(path), FormatSettings(saved, 300, 200));

  // The lite edition keeps its own ceiling and saves it back.
  Settings lite;
  LoadSettings(lite, path.c_str(), Edition::Lite, kScreen);
  EXPECT_EQ(lite.scale, 5);
  std::remove(path.c_str());
}

TEST(SettingsTest, FailedSaveKeepsTheOldFileWhole) {
  const std::string dir = testing::TempDir() + "settings_save_test";
  mkdir(dir.c_str(), 0755);
  const std::string path = dir + "/KurimaroConf.dat";
  WriteAll(path, "// mine\n$viewscale = 4\n");
  chmod(path.c_str(), 0444);
  EXPECT_FALSE(SaveSettings(Settings{}, 1, 2, path.c_str()));
  EXPECT_EQ(ReadAll(path), "// mine\n$viewscale = 4\n");
  chmod(path.c_str(), 0644);

  EXPECT_FALSE(SaveSettings(Settings{}, 1, 2, (dir + "/missing/KurimaroConf.dat").c_str()));
  ASSERT_TRUE(SaveSettings(Settings{}, 1, 2, path.c_str()));
  EXPECT_EQ(ReadAll(path), FormatSettings(Settings{}, 1, 2));
  std::remove(path.c_str());
  EXPECT_EQ(rmdir(dir.c_str()), 0) << "a temporary file was left behind";
}

// A dotfile manager's link stays a link, its file keeps its mode; a program
// killed while it writes leaves a temporary file that the next start removes,
// and nothing else.
TEST(SettingsTest, SaveWritesThroughLinksKeepsTheModeAndItsLeftoversGo) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(testing::TempDir()) / "settings_link_test";
  fs::remove_all(dir);
  fs::create_directories(dir / "dotfiles");
  const fs::path target = dir / "dotfiles" / "kurimaro.conf";
  const fs::path path = dir / "KurimaroConf.dat";
  WriteAll(target.string(), "$viewscale = 4\n");
  chmod(target.c_str(), 0644);
  fs::create_symlink("dotfiles/kurimaro.conf", path);
  Settings changed;
  changed.scale = 7;
  ASSERT_TRUE(SaveSettings(changed, 1, 2, path.c_str()));
  EXPECT_TRUE(fs::is_symlink(path));
  EXPECT_EQ(ReadAll(target.string()), FormatSettings(changed, 1, 2));
  struct stat info = {};
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);

  const std::string other = (dir / "notes.txt").string();
  WriteAll(other, "mine");
  WriteAll((dir / "dotfiles" / "kurimaro.conf.txt").string(), "mine too");
  for (int kill_at = 0; kill_at < 50; ++kill_at) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) SaveSettings(changed, kill_at, 2, path.c_str());
    }
    usleep(static_cast<useconds_t>(200 + 97 * kill_at));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
  }
  auto listing = [&dir] {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      names.push_back(entry.path().lexically_relative(dir).string());
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  EXPECT_GT(listing().size(), 5u) << "no kill fell inside a save";
  RemoveStaleTemporaries(path.c_str());
  std::vector<std::string> left = listing();
  EXPECT_EQ(left, (std::vector<std::string>{"KurimaroConf.dat", "dotfiles",
                                            "dotfiles/kurimaro.conf",
                                            "dotfiles/kurimaro.conf.txt", "notes.txt"}));
  EXPECT_NE(ReadAll(target.string()).find("$viewscale = 7"), std::string::npos);
  fs::remove_all(dir);
}

// Only a regular file is read, through a link too; anything else in its
// place reads as a missing file at once, a FIFO with no writer included. A
// settings file of that kind gives the start-up values and is replaced
// whole on saving.
TEST(SettingsTest, OnlyARegularFileIsReadAndNoneWaits) {
  const std::string dir = testing::TempDir() + "settings_kinds_" + std::to_string(getpid()) + "/";
  std::filesystem::remove_all(dir);
  mkdir(dir.c_str(), 0755);
  WriteAll(dir + "file", "$viewscale = 3\n");
  mkdir((dir + "directory").c_str(), 0755);
  ASSERT_EQ(mkfifo((dir + "fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink((dir + "file").c_str(), (dir + "link to a file").c_str()), 0);
  ASSERT_EQ(symlink((dir + "fifo").c_str(), (dir + "link to a fifo").c_str()), 0);
  ASSERT_EQ(symlink((dir + "nowhere").c_str(), (dir + "dangling link").c_str()), 0);
  const struct {
    std::string path;
    bool reads;
  } kinds[] = {
      {dir + "file", true},           {dir + "link to a file", true},
      {dir + "missing", false},       {dir + "directory", false},
      {dir + "fifo", false},          {dir + "link to a fifo", false},
      {dir + "dangling link", false}, {"/dev/null", false},
      {"/dev/zero", false},
  };
  alarm(10);  // an open that waits ends the test rather than hanging it
  for (const auto& kind : kinds) {
    std::FILE* file = OpenFileForReading(kind.path.c_str());
    EXPECT_EQ(file != nullptr, kind.reads) << kind.path;
    if (file) {
      char text[32] = {};
      EXPECT_EQ(std::fread(text, 1, sizeof text, file), 15u) << kind.path;
      EXPECT_STREQ(text, "$viewscale = 3\n");
      std::fclose(file);
    }
    Settings settings;
    LoadSettings(settings, kind.path.c_str(), Edition::Full, kScreen);
    EXPECT_EQ(settings.scale, kind.reads ? 3 : 2) << kind.path;
  }
  alarm(0);
  EXPECT_TRUE(SaveSettings(Settings{}, 1, 2, (dir + "fifo").c_str()));
  EXPECT_EQ(ReadAll(dir + "fifo"), FormatSettings(Settings{}, 1, 2));
  std::filesystem::remove_all(dir);
}

TEST(SettingsTest, PathsAreJoinedWithTheSystemsSeparatorAndNeverCutShort) {
  EXPECT_EQ(JoinStartDir("/home/me/.config/kurimaro", "alerm.txt"),
            "/home/me/.config/kurimaro/alerm.txt");
  EXPECT_EQ(JoinStartDir("", "KurimaroConf.dat"), "/KurimaroConf.dat");
  EXPECT_EQ(JoinStartDir(std::string(1100, 'd').c_str(), "x").size(), 1102u);
}

}  // namespace
