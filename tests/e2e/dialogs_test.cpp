// What the commands open: the WAVE-file dialog, the about box, the alarm file
// in the user's editor; and Exit.
#include <gtest/gtest.h>

#include <functional>

#include "driver.h"
#include "ui_driver.h"

using namespace e2e;

namespace {

constexpr int kAbout = 40040;
constexpr int kExit = 40037;
constexpr int kEditAlarms = 40066;
constexpr int kWaveFile = 40048;
constexpr int kWaveFileLoop = 40050;
constexpr int kFileNameBox = 0x47C;  // cmb13, the file name in the open-file dialog

const std::wstring kWaveTitle = L"WAVEファイルを開く";

class DialogsTest : public ::testing::TestWithParam<const Edition*> {
 protected:
  const Edition& edition() const { return *GetParam(); }
  std::string Dir(const std::string& what) const {
    return MakeWorkDir(std::string(edition().name) + "-dialog-" + what);
  }
};

std::string FullPath(const std::string& path) {
  char full[MAX_PATH] = {};
  GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return full;
}

std::wstring Lower(std::wstring text) {
  CharLowerW(&text[0]);
  return text;
}

// The dialog the command opened, owned by the character window.
HWND OpenWaveDialog(const Running& app, int id) {
  PostCommand(app.main, id);
  HWND dialog = WaitForDialog(app.process, kWaveTitle, 5000);
  if (dialog) EXPECT_EQ(GetWindow(dialog, GW_OWNER), app.main);
  return dialog;
}

std::wstring FileNameText(HWND dialog) {
  wchar_t text[MAX_PATH] = {};
  GetDlgItemTextW(dialog, kFileNameBox, text, MAX_PATH);
  return text;
}

void Choose(const Running& app, HWND dialog, const std::wstring& path) {
  SendMessageW(GetDlgItem(dialog, kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000)) << "dialog still open";
}

void Cancel(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000)) << "dialog still open";
}

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0],
                                                      static_cast<int>(wide.size()))) - 1);
  return wide;
}

TEST_P(DialogsTest, WaveFileChosenOrCancelled) {
  const std::string dir = Dir("wave");
  const std::string chime = FullPath(JoinPath(dir, "chime.wav"));
  const std::string loop = FullPath(JoinPath(dir, "loop.wav"));
  WriteFileBytes(chime, "RIFF");
  WriteFileBytes(loop, "RIFF");
  Conf conf;
  conf.sd = 1;
  Running app = LaunchWith(edition(), dir, conf);
  ASSERT_TRUE(app.main);

  HWND dialog = OpenWaveDialog(app, kWaveFile);
  ASSERT_TRUE(dialog) << "no open-file dialog";
  Choose(app, dialog, Wide(chime));
  // Opened again, the dialog starts on the chosen file; cancelled, it keeps it.
  dialog = OpenWaveDialog(app, kWaveFileLoop);
  ASSERT_TRUE(dialog);
  EXPECT_NE(Lower(FileNameText(dialog)).find(L"chime.wav"), std::wstring::npos)
      << "the dialog did not start on the chosen file";
  Cancel(dialog);
  EXPECT_EQ(CloseAndWait(app), 0);
  Conf saved = conf;
  saved.sd = 2;
  saved.sd_file = chime;
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), saved.Text());

  // The looped choice from the tray icon's menu, then a cancelled plain one.
  app = Launch(edition(), dir);
  ASSERT_TRUE(app.main);
  PostCommand(app.shadow, kWaveFileLoop);
  dialog = WaitForDialog(app.process, kWaveTitle, 5000);
  ASSERT_TRUE(dialog);
  Choose(app, dialog, Wide(loop));
  dialog = OpenWaveDialog(app, kWaveFile);
  ASSERT_TRUE(dialog);
  Cancel(dialog);
  EXPECT_EQ(CloseAndWait(app), 0);
  saved.sd = 3;
  saved.sd_file = loop;
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), saved.Text());
}

// A name the settings file's code page cannot spell must not come back as a
// path to some other file, or to none.
TEST(WaveFileNameTest, NameOutsideTheCodePageStillNamesTheFile) {
  const std::string dir = MakeWorkDir("Full-dialog-wide-name");
  const std::wstring wide_dir = Wide(FullPath(dir));
  const std::wstring bell = wide_dir + L"\\ベルの音.wav";
  HANDLE file = CreateFileW(bell.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  Conf conf;
  Running app = LaunchWith(kFull, dir, conf);
  ASSERT_TRUE(app.main);
  HWND dialog = OpenWaveDialog(app, kWaveFile);
  ASSERT_TRUE(dialog);
  Choose(app, dialog, bell);
  EXPECT_EQ(CloseAndWait(app), 0);
  const ReadBack saved = ReadConf(dir);
  ASSERT_TRUE(saved.ok);
  if (saved.conf.sd == 2) {
    wchar_t found[MAX_PATH] = {};
    GetLongPathNameW(Wide(saved.conf.sd_file).c_str(), found, MAX_PATH);
    EXPECT_EQ(Lower(found), Lower(bell)) << "saved as " << saved.conf.sd_file;
  } else {
    // Refused: everything stays as it was.
    EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), conf.Text());
  }
}

TEST_P(DialogsTest, AboutBoxNamesTheEdition) {
  const std::string dir = Dir("about");
  Running app = LaunchWith(edition(), dir, Conf());
  ASSERT_TRUE(app.main);
  PostCommand(app.main, kAbout);
  HWND box = WaitForMessageBox(app.process, edition().title, 5000);
  ASSERT_TRUE(box) << "no about box captioned " << edition().title;
  EXPECT_EQ(GetWindow(box, GW_OWNER), app.main);
  const std::wstring text = MessageBoxText(box);
  const std::wstring first = Wide(edition().title) + L" ver 1.0.2.J\n\n";
  ASSERT_EQ(text.substr(0, first.size()), first) << "the text does not begin with the name and version";
  const std::wstring rights = text.substr(first.size());
  EXPECT_FALSE(rights.empty());
  EXPECT_EQ(rights.find(L'\n'), std::wstring::npos) << "more than one line of rights";
  PressOk(box);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 3000));
  // From the tray icon's menu the box is the same.
  PostCommand(app.shadow, kAbout);
  box = WaitForMessageBox(app.process, edition().title, 5000);
  ASSERT_TRUE(box);
  EXPECT_EQ(MessageBoxText(box), text);
  PressOk(box);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 3000));
  EXPECT_EQ(CloseAndWait(app), 0);
}

// The user's editor for .txt files, for the length of one test: the stand-in
// writes down what it was given. Wine's prefix has no .txt association of
// its own, so without this the command would open nothing to be seen.
class TextEditor {
 public:
  explicit TextEditor(const std::string& record) {
    const std::wstring command = L"\"" + Wide(JoinPath(DriverDir(), "open_recorder.exe")) +
                                 L"\" \"" + Wide(record) + L"\" \"%1\"";
    Set(L".txt", L"KurimaroTest.txt");
    Set(L"KurimaroTest.txt\\shell\\open\\command", command);
  }
  ~TextEditor() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"KurimaroTest.txt");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".txt");
  }

 private:
  static void Set(const wchar_t* key, const std::wstring& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS) {
      ADD_FAILURE() << "cannot register the stand-in editor";
      return;
    }
    RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
  }
};

std::wstring ReadRecord(const std::string& path) {
  const std::string bytes = ReadFileBytes(path);
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

TEST_P(DialogsTest, EditAlarmsOpensTheAlarmFileInTheStartDirectory) {
  const std::string dir = Dir("edit");
  const std::string record = FullPath(JoinPath(MakeWorkDir(std::string(edition().name) + "-editor"), "opened.txt"));
  TextEditor editor(record);
  WriteAlarms(dir, {7 * 3600});
  Running app = LaunchWith(edition(), dir, Conf());
  ASSERT_TRUE(app.main);
  PostCommand(app.main, kEditAlarms);
  ASSERT_TRUE(WaitUntil([&] { return FileExists(record); }, 5000)) << "no editor was started";
  Sleep(100);
  const std::wstring start_dir = Lower(Wide(FullPath(dir)));
  EXPECT_EQ(Lower(ReadRecord(record)), start_dir + L"\n" + start_dir + L"\\alerm.txt");
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kAlarmName)), "7:0:0\r\n") << "an alarm file was written";

  // A new user has no alarm file: an empty one is made for the editor.
  DeleteFileA(record.c_str());
  DeleteFileA(JoinPath(dir, kAlarmName).c_str());
  PostCommand(app.shadow, kEditAlarms);
  ASSERT_TRUE(WaitUntil([&] { return FileExists(record); }, 5000)) << "no editor for a new file";
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kAlarmName)), "");
  EXPECT_EQ(CloseAndWait(app), 0);
}

// How often the settings file is put in place while the program ends: a
// finished write renames a temporary file over it.
int SettingsWritesWhileEnding(const std::string& dir, Running& app,
                              const std::function<void()>& end) {
  DirectoryWatch watch(dir);
  end();
  if (WaitForExit(app.process, 15000) != 0) return -1;
  return watch.Arrivals(kConfName, 500);
}

TEST_P(DialogsTest, ExitWritesTheSettingsOnce) {
  const std::string dir = Dir("exit");
  Conf conf;
  conf.hour24 = 1;
  Running app = LaunchWith(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  EXPECT_EQ(SettingsWritesWhileEnding(dir, app, [&] { PostCommand(app.main, kExit); }), 1);
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), conf.Text());
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(app.shadow); }, 3000));

  // From the tray icon's menu the same.
  app = Launch(edition(), dir);
  ASSERT_TRUE(app.main);
  EXPECT_EQ(SettingsWritesWhileEnding(dir, app, [&] { PostCommand(app.shadow, kExit); }), 1);
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), conf.Text());
}

INSTANTIATE_TEST_SUITE_P(Editions, DialogsTest, ::testing::Values(&kFull, &kLite),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
