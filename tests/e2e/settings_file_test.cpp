// The settings file through real starts and exits of both programs.
#include <gtest/gtest.h>

#include "driver.h"

using namespace e2e;

namespace {

constexpr char kConf[] = "KurimaroConf.dat";

struct Saved {
  int viewscale, shadow, alerm, h24, topmost, movelock, calendar, hide, sd, al_time;
  const char* sd_file;
  int x, y;
};

std::string Lines(const Saved& v) {
  char text[1024];
  std::snprintf(text, sizeof text,
                "$viewscale = %d\r\n$shadow = %d\r\n$alerm = %d\r\n$24 = %d\r\n$topmost = %d\r\n"
                "$movelock = %d\r\n$calendar = %d\r\n$hide = %d\r\n$sd = %d\r\n$al_time = %d\r\n"
                "&sd_file = \"%s\"\r\n$pos_x = %d\r\n$pos_y = %d\r\n",
                v.viewscale, v.shadow, v.alerm, v.h24, v.topmost, v.movelock, v.calendar, v.hide,
                v.sd, v.al_time, v.sd_file, v.x, v.y);
  return text;
}

// Each file goes through a real start and an exit by WM_CLOSE to the shadow
// window; what comes out is the clamped thirteen lines. The virtual screen
// under test is 1280 x 1024.
struct OddFile {
  const char* name;
  std::string conf;  // empty name of file: none written
  bool write;
  Saved full;
  Saved lite;
};

std::vector<OddFile> OddFiles() {
  const Saved zero = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", 0, 0};
  std::vector<OddFile> files;
  files.push_back({"missing", "", false, {2, 1, 0, 0, 1, 0, 1, 0, 0, 0, "", 100, 100},
                   {2, 1, 0, 0, 1, 0, 1, 0, 0, 0, "", 100, 100}});
  files.push_back({"empty", "", true, zero, zero});
  files.push_back({"binary", std::string("\x00\x01\xff$viewscale=3\r\x1a\x00", 12) + "\n\xfe\xff\r\r\n",
                   true, zero, zero});
  files.push_back({"absurd",
                   "$viewscale = 99999999999999\n$sd = -7\n$al_time = 12\n$shadow = 5\n"
                   "$pos_x = -50\n$pos_y = 99999\n$calendar=-1\n",
                   true, {10, 1, 0, 0, 0, 0, 1, 0, 0, 3, "", 0, 1024 - 800},
                   {5, 1, 0, 0, 0, 0, 1, 0, 0, 3, "", 0, 1024 - 400}});
  files.push_back({"scale8", "$viewscale = 8\n$pos_x = 2000\n$pos_y=30\n", true,
                   {8, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", 1280 - 704, 30},
                   {5, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", 1280 - 440, 30}});
  files.push_back({"quoted path",
                   "&sd_file = \"C:\\My Sounds\\bell;2.wav\" ; chosen\r\n$sd=3\r\n&sd_file=\"x\"\r\n",
                   true, {1, 0, 0, 0, 0, 0, 0, 0, 3, 0, "C:\\My Sounds\\bell;2.wav", 0, 0},
                   {1, 0, 0, 0, 0, 0, 0, 0, 3, 0, "C:\\My Sounds\\bell;2.wav", 0, 0}});
  files.push_back({"long line", "$viewscale=4\n&sd_file=\"" + std::string(10 << 20, 'a') + "\n$hide=1\n",
                   true, {4, 0, 0, 0, 0, 0, 0, 1, 0, 0, std::string(511, 'a').c_str(), 0, 0},
                   {4, 0, 0, 0, 0, 0, 0, 1, 0, 0, "", 0, 0}});
  return files;
}

class SettingsFileTest : public ::testing::TestWithParam<const Edition*> {
 protected:
  const Edition& edition() const { return *GetParam(); }
};

TEST_P(SettingsFileTest, OddFilesComeOutClamped) {
  int index = 0;
  for (const OddFile& file : OddFiles()) {
    SCOPED_TRACE(file.name);
    const std::string dir = MakeWorkDir(std::string(edition().name) + "-odd" + std::to_string(index++));
    const std::string path = JoinPath(dir, kConf);
    if (file.write) WriteFileBytes(path, file.conf);
    Running app = Launch(edition(), dir);
    ASSERT_TRUE(app.main);
    EXPECT_EQ(CloseAndWait(app), 0);
    Saved expected = edition().layered ? file.full : file.lite;
    // The long path is cut at 511 characters by either edition.
    const std::string long_path(511, 'a');
    if (std::string(file.name) == "long line") expected.sd_file = long_path.c_str();
    EXPECT_EQ(ReadFileBytes(path), Lines(expected));
    EXPECT_EQ(ListDir(dir).size(), 1u) << "a temporary file was left behind";
  }
}

// The query writes the settings and agrees; a log-off that another program
// cancels leaves the mascot running, and only a real end takes it (writing
// the settings once more).
TEST_P(SettingsFileTest, LogOffSavesAndEndsOnlyWhenTheSessionEnds) {
  const std::string dir = MakeWorkDir(std::string(edition().name) + "-logoff");
  const std::string conf = JoinPath(dir, kConf);
  const std::string saved = Lines({2, 1, 0, 0, 1, 0, 1, 0, 0, 0, "", 100, 100});
  Running app = Launch(edition(), dir);
  ASSERT_TRUE(app.shadow);
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutA(app.shadow, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 10000, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  EXPECT_EQ(ReadFileBytes(conf), saved);
  ASSERT_TRUE(SendMessageTimeoutA(app.shadow, WM_ENDSESSION, FALSE, 0, SMTO_BLOCK, 10000, &answer));
  EXPECT_EQ(WaitForExit(app.process, 1000), -1) << "a cancelled log-off ended the program";
  DeleteFileA(conf.c_str());
  SendMessageTimeoutA(app.shadow, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 10000, &answer);
  EXPECT_EQ(WaitForExit(app.process, 15000), 0);
  EXPECT_EQ(ReadFileBytes(conf), saved);
}

// What a user keeps in the file must survive an exit that cannot write it.
const char kOldContent[] = "// my settings\r\n$viewscale = 3\r\n$pos_x = 10\r\n$pos_y = 20\r\n";

TEST_P(SettingsFileTest, LockedFileAtExitKeepsOldContent) {
  const std::string dir = MakeWorkDir(std::string(edition().name) + "-locked");
  const std::string path = JoinPath(dir, kConf);
  WriteFileBytes(path, kOldContent);
  Running app = Launch(edition(), dir);
  ASSERT_TRUE(app.main);
  HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CloseAndWait(app), 0);
  CloseHandle(lock);
  EXPECT_EQ(ReadFileBytes(path), kOldContent);
  EXPECT_EQ(ListDir(dir).size(), 1u) << "a temporary file was left behind";
}

TEST_P(SettingsFileTest, ReadOnlyFileAtExitKeepsOldContent) {
  const std::string dir = MakeWorkDir(std::string(edition().name) + "-readonly");
  const std::string path = JoinPath(dir, kConf);
  WriteFileBytes(path, kOldContent);
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  Running app = Launch(edition(), dir);
  ASSERT_TRUE(app.main);
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadFileBytes(path), kOldContent);
  EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(ListDir(dir).size(), 1u) << "a temporary file was left behind";
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(Editions, SettingsFileTest, ::testing::Values(&kFull, &kLite),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
