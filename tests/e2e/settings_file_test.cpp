// The settings file through real starts and exits of both programs.
#include "edition_test.h"

using namespace e2e;

namespace {

// Each file goes through a real start and an exit by WM_CLOSE to the shadow
// window; what comes out is the clamped thirteen lines. The virtual screen
// under test is 1280 x 1024.
struct OddFile {
  const char* name;
  std::optional<std::string> conf;  // none: no file written
  Conf full;
  Conf lite;
};

std::vector<OddFile> OddFiles() {
  const Conf zero = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", 0, 0};
  const std::string long_path(511, 'a');  // cut there by either edition
  return {
      {"missing", std::nullopt, Conf(), Conf()},
      {"empty", "", zero, zero},
      {"binary", std::string("\x00\x01\xff$viewscale=3\r\x1a\x00", 12) + "\n\xfe\xff\r\r\n", zero,
       zero},
      {"absurd",
       "$viewscale = 99999999999999\n$sd = -7\n$al_time = 12\n$shadow = 5\n"
       "$pos_x = -50\n$pos_y = 99999\n$calendar=-1\n",
       {10, 1, 0, 0, 0, 0, 1, 0, 0, 3, "", 0, 1024 - 800},
       {5, 1, 0, 0, 0, 0, 1, 0, 0, 3, "", 0, 1024 - 400}},
      {"scale8", "$viewscale = 8\n$pos_x = 2000\n$pos_y=30\n",
       {8, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", 1280 - 704, 30},
       {5, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", 1280 - 440, 30}},
      {"quoted path",
       "&sd_file = \"C:\\My Sounds\\bell;2.wav\" ; chosen\r\n$sd=3\r\n&sd_file=\"x\"\r\n",
       {1, 0, 0, 0, 0, 0, 0, 0, 3, 0, "C:\\My Sounds\\bell;2.wav", 0, 0},
       {1, 0, 0, 0, 0, 0, 0, 0, 3, 0, "C:\\My Sounds\\bell;2.wav", 0, 0}},
      {"long line", "$viewscale=4\n&sd_file=\"" + std::string(10 << 20, 'a') + "\n$hide=1\n",
       {4, 0, 0, 0, 0, 0, 0, 1, 0, 0, long_path, 0, 0},
       {4, 0, 0, 0, 0, 0, 0, 1, 0, 0, long_path, 0, 0}},
  };
}

class SettingsFileTest : public EditionTest {};

TEST_P(SettingsFileTest, OddFilesComeOutClamped) {
  for (const OddFile& file : OddFiles()) {
    SCOPED_TRACE(file.name);
    const std::string dir = TestDir(file.name);
    const std::string path = JoinPath(dir, kConfName);
    if (file.conf) WriteFileBytes(path, *file.conf);
    Running app = Launch(edition(), dir);
    ASSERT_TRUE(app.main);
    EXPECT_EQ(CloseAndWait(app), 0);
    EXPECT_EQ(ReadFileBytes(path), (edition().layered ? file.full : file.lite).Text());
    // The settings, and the alarm file the first start made.
    EXPECT_EQ(ListDir(dir).size(), 2u) << "a temporary file was left behind";
  }
}

// What a user keeps in the file must survive an exit that cannot write it:
// the file locked by another program, or read-only.
TEST_P(SettingsFileTest, UnwritableFileAtExitKeepsOldContent) {
  const char old_content[] = "// my settings\r\n$viewscale = 3\r\n$pos_x = 10\r\n$pos_y = 20\r\n";
  for (const bool locked : {true, false}) {
    SCOPED_TRACE(locked ? "locked" : "read-only");
    const std::string dir = TestDir(locked ? "locked" : "readonly");
    const std::string path = JoinPath(dir, kConfName);
    WriteFileBytes(path, old_content);
    if (!locked) ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    Running app = Launch(edition(), dir);
    ASSERT_TRUE(app.main);
    HANDLE lock = locked ? CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                       nullptr)
                         : nullptr;
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CloseAndWait(app), 0);
    if (lock) CloseHandle(lock);
    EXPECT_EQ(ReadFileBytes(path), old_content);
    if (!locked) EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    // The settings, and the alarm file the first start made.
    EXPECT_EQ(ListDir(dir).size(), 2u) << "a temporary file was left behind";
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

// The query writes the settings and agrees; a log-off that another program
// cancels leaves the mascot running, and only a real end takes it (writing
// the settings once more). A file held for a moment, as a virus scanner or a
// sync client does, is written all the same.
TEST_P(SettingsFileTest, LogOffSavesAndEndsOnlyWhenTheSessionEnds) {
  const std::string dir = TestDir("logoff");
  const std::string path = JoinPath(dir, kConfName);
  const std::string saved = Conf().Text();
  Running app = Launch(edition(), dir);
  ASSERT_TRUE(app.shadow);
  DWORD_PTR answer = 0;
  ASSERT_TRUE(Send(app.shadow, WM_QUERYENDSESSION, 0, 0, 10000, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  EXPECT_EQ(ReadFileBytes(path), saved);
  ASSERT_TRUE(Send(app.shadow, WM_ENDSESSION, FALSE, 0, 10000));
  EXPECT_EQ(WaitForSingleObject(app.process.handle, 1000), static_cast<DWORD>(WAIT_TIMEOUT))
      << "a cancelled log-off ended the program";

  WriteFileBytes(path, "held");
  HANDLE hold = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(hold, INVALID_HANDLE_VALUE);
  Post(app.shadow, WM_ENDSESSION, TRUE);
  Sleep(150);
  CloseHandle(hold);
  EXPECT_EQ(WaitForExit(app.process, 15000), 0);
  EXPECT_EQ(ReadFileBytes(path), saved);
}

E2E_FOR_BOTH_EDITIONS(SettingsFileTest);

}  // namespace
