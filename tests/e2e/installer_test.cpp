// The installer built beside the programs (Kurimaro-<version>-setup.exe),
// run silently the way a user's or an administrator's script would: where it
// puts things, what its shortcuts start, and what the uninstaller leaves.
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>

#include "edition_test.h"

using namespace e2e;

namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kurimaro";
constexpr char kSampleAlarms[] = "7:30\r\n12:00\r\n18:45\r\n";

std::string KnownFolder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::string InstallDir() { return KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Kurimaro"; }
std::string MenuShortcut(const Program& e) { return JoinPath(KnownFolder(CSIDL_PROGRAMS), std::string(e.title) + ".lnk"); }
std::string StartupShortcut() { return JoinPath(KnownFolder(CSIDL_STARTUP), "Kurimaro.lnk"); }

std::string SetupPath() {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(JoinPath(DriverDir(), "Kurimaro-*-setup.exe").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return "";
  FindClose(find);
  return JoinPath(DriverDir(), data.cFileName);
}

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

std::string Narrow(const wchar_t* text) {
  char out[MAX_PATH * 2] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out, nullptr, nullptr);
  return out;
}

bool UninstallEntryExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

int Install(const std::string& options) {
  Process setup = Start("\"" + SetupPath() + "\" /S " + options, "");
  return WaitForExit(setup, 60000);
}

// The uninstaller copies itself away and carries on from there, so its own
// exit says nothing; it deletes itself last but one.
bool UninstallAndWait() {
  const std::string uninstaller = JoinPath(InstallDir(), "uninstall.exe");
  Process process = Start("\"" + uninstaller + "\" /S", "");
  if (WaitForExit(process, 60000) != 0) return false;
  const bool gone = WaitUntil([&] { return !FileExists(uninstaller); }, 30000);
  Sleep(200);
  return gone;
}

struct Shortcut {
  bool loaded = false;
  std::string target;
  std::string work_dir;
};

Shortcut ReadShortcut(const std::string& path) {
  Shortcut shortcut;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return shortcut;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(file->Load(wide, STGM_READ))) {
      wchar_t text[MAX_PATH] = {};
      link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
      shortcut.target = Narrow(text);
      text[0] = L'\0';
      link->GetWorkingDirectory(text, MAX_PATH);
      shortcut.work_dir = Narrow(text);
      shortcut.loaded = true;
    }
    file->Release();
  }
  link->Release();
  return shortcut;
}

// Starts what a shortcut names, in the shortcut's working directory.
Running StartShortcut(const Shortcut& shortcut, const Program& program) {
  return Attach(Start("\"" + shortcut.target + "\"", shortcut.work_dir), program);
}

class InstallerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitialize(nullptr);
    // Wine would copy every shortcut into the host's desktop menus.
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
      RegSetValueExA(key, "winemenubuilder.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
      RegCloseKey(key);
    }
  }
  static void TearDownTestSuite() {
    CleanSlate();
    CoUninitialize();
  }
  void SetUp() override {
    ASSERT_FALSE(SetupPath().empty()) << "no Kurimaro-*-setup.exe beside the driver";
    CleanSlate();
  }
  // No trace of an earlier run: a fresh user's account.
  static void CleanSlate() {
    RemoveTree(InstallDir());
    DeleteFileA(MenuShortcut(kFull).c_str());
    DeleteFileA(MenuShortcut(kLite).c_str());
    DeleteFileA(StartupShortcut().c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
  }
};

TEST_F(InstallerTest, InstallsPerUserWithShortcutsThatStartInTheFolder) {
  ASSERT_EQ(Install(""), 0);
  const std::string dir = InstallDir();
  for (const char* name : {"Kurimaro.exe", "KurimaroLite.exe", "uninstall.exe", "LICENSE.txt"})
    EXPECT_TRUE(FileExists(JoinPath(dir, name))) << name;
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, "alerm.txt")), kSampleAlarms);
  EXPECT_TRUE(UninstallEntryExists());
  EXPECT_FALSE(FileExists(StartupShortcut())) << "start with Windows is unticked by default";

  for (const Program* edition : {&kFull, &kLite}) {
    SCOPED_TRACE(edition->name);
    const Shortcut shortcut = ReadShortcut(MenuShortcut(*edition));
    ASSERT_TRUE(shortcut.loaded);
    EXPECT_TRUE(SamePath(shortcut.target, JoinPath(dir, edition->exe))) << shortcut.target;
    EXPECT_TRUE(SamePath(shortcut.work_dir, dir)) << shortcut.work_dir;

    DeleteFileA(JoinPath(dir, "KurimaroConf.dat").c_str());
    Running app = StartShortcut(shortcut, *edition);
    ASSERT_TRUE(app.main && app.shadow) << "no windows";
    EXPECT_TRUE(ReadWindow(app.main).visible);
    EXPECT_EQ(CloseAndWait(app), 0);
    EXPECT_TRUE(FileExists(JoinPath(dir, "KurimaroConf.dat"))) << "settings not written beside the program";
  }
}

TEST_F(InstallerTest, UninstallKeepsSettingsAndAlarmsAndRemovesTheRest) {
  ASSERT_EQ(Install("/STARTUP"), 0);
  const std::string dir = InstallDir();
  const Shortcut startup = ReadShortcut(StartupShortcut());
  ASSERT_TRUE(startup.loaded) << "/STARTUP makes the start-with-Windows shortcut";
  EXPECT_TRUE(SamePath(startup.target, JoinPath(dir, "Kurimaro.exe"))) << startup.target;
  EXPECT_TRUE(SamePath(startup.work_dir, dir)) << startup.work_dir;

  const std::string settings = "$viewscale = 4\r\n$alerm = 1\r\n";
  const std::string alarms = "6:15\r\n";
  WriteFileBytes(JoinPath(dir, "KurimaroConf.dat"), settings);
  WriteFileBytes(JoinPath(dir, "alerm.txt"), alarms);

  ASSERT_TRUE(UninstallAndWait());
  std::vector<std::string> left = ListDir(dir);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"KurimaroConf.dat", "alerm.txt"}));
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, "KurimaroConf.dat")), settings);
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, "alerm.txt")), alarms);
  EXPECT_FALSE(FileExists(MenuShortcut(kFull)));
  EXPECT_FALSE(FileExists(MenuShortcut(kLite)));
  EXPECT_FALSE(FileExists(StartupShortcut()));
  EXPECT_FALSE(UninstallEntryExists());
}

TEST_F(InstallerTest, ReinstallKeepsTheAlarmFileAndWaitsForARunningProgram) {
  const std::string dir = InstallDir();
  CreateDirectoryA((KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs").c_str(), nullptr);
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string alarms = "6:15\r\n23:59:30\r\n";
  WriteFileBytes(JoinPath(dir, "alerm.txt"), alarms);
  ASSERT_EQ(Install(""), 0);
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, "alerm.txt")), alarms);

  // A second setup while the program runs from the folder installs nothing.
  Running app = StartShortcut(ReadShortcut(MenuShortcut(kFull)), kFull);
  ASSERT_TRUE(app.main);
  DeleteFileA(JoinPath(dir, "LICENSE.txt").c_str());
  EXPECT_EQ(Install(""), 2);
  EXPECT_FALSE(FileExists(JoinPath(dir, "LICENSE.txt")));
  EXPECT_EQ(CloseAndWait(app), 0);
}

}  // namespace

// "Start at login" in the menu makes the same Startup shortcut for a user of
// the zip: it starts this program in its folder, and choosing it again
// removes it (the uninstaller removes it as well).
TEST_F(InstallerTest, MenuMakesAndRemovesTheStartupShortcut) {
  const std::string dir = MakeWorkDir("StartAtLogin");
  Running app = Launch(kFull, dir);
  ASSERT_TRUE(app.main);
  Post(app.main, WM_COMMAND, kStartAtLogin);
  ASSERT_TRUE(WaitUntil([] { return FileExists(StartupShortcut()); }, 10000));
  const Shortcut shortcut = ReadShortcut(StartupShortcut());
  EXPECT_TRUE(shortcut.loaded);
  EXPECT_EQ(shortcut.target, JoinPath(DriverDir(), kFull.exe));
  char full[MAX_PATH] = {};
  GetFullPathNameA(dir.c_str(), MAX_PATH, full, nullptr);
  EXPECT_EQ(shortcut.work_dir, full);
  Post(app.main, WM_COMMAND, kStartAtLogin);
  EXPECT_TRUE(WaitUntil([] { return !FileExists(StartupShortcut()); }, 10000));
  EXPECT_EQ(CloseAndWait(app), 0);
}
