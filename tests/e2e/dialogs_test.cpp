// What the commands open: the WAVE-file dialog, the about box, the alarm file
// in the user's editor.
#include "edition_test.h"

using namespace e2e;

namespace {

constexpr int kFileNameBox = 0x47C;  // cmb13, the file name in the open-file dialog

std::wstring WaveTitle() { return Shown(L"WAVEファイルを開く", L"Open WAVE file"); }

class DialogsTest : public EditionTest {};

std::wstring Lower(std::wstring text) {
  CharLowerW(&text[0]);
  return text;
}

// The dialog the command opened, owned by the character window.
HWND OpenWaveDialog(const Running& app, HWND to, int id) {
  Post(to, WM_COMMAND, id);
  HWND dialog = WaitForDialog(app.process, WaveTitle(), 5000);
  if (dialog) EXPECT_EQ(GetWindow(dialog, GW_OWNER), app.main);
  return dialog;
}

std::wstring FileNameText(HWND dialog) {
  wchar_t text[MAX_PATH] = {};
  GetDlgItemTextW(dialog, kFileNameBox, text, MAX_PATH);
  return text;
}

bool Choose(HWND dialog, const std::wstring& path) {
  Send(GetDlgItem(dialog, kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  return AnswerDialog(dialog, IDOK);
}

TEST_P(DialogsTest, WaveFileChosenOrCancelled) {
  const std::string dir = TestDir();
  const std::string chime = FullPath(JoinPath(dir, "chime.wav"));
  const std::string loop = FullPath(JoinPath(dir, "loop.wav"));
  WriteFileBytes(chime, "RIFF");
  WriteFileBytes(loop, "RIFF");
  Conf conf;
  conf.sd = 1;
  Running app = Launch(edition(), dir, conf);
  ASSERT_TRUE(app.main);

  HWND dialog = OpenWaveDialog(app, app.main, kWaveFile);
  ASSERT_TRUE(dialog) << "no open-file dialog";
  EXPECT_TRUE(Choose(dialog, Wide(chime))) << "dialog still open";
  // Opened again, the dialog starts on the chosen file; cancelled, it keeps it.
  dialog = OpenWaveDialog(app, app.main, kWaveFileLoop);
  ASSERT_TRUE(dialog);
  EXPECT_NE(Lower(FileNameText(dialog)).find(L"chime.wav"), std::wstring::npos)
      << "the dialog did not start on the chosen file";
  EXPECT_TRUE(AnswerDialog(dialog, IDCANCEL)) << "dialog still open";
  EXPECT_EQ(CloseAndWait(app), 0);
  Conf saved = conf;
  saved.sd = 2;
  saved.sd_file = chime;
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), saved.Text());

  // The looped choice from the tray icon's menu, then a cancelled plain one.
  app = Launch(edition(), dir);
  ASSERT_TRUE(app.main);
  dialog = OpenWaveDialog(app, app.shadow, kWaveFileLoop);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(Choose(dialog, Wide(loop))) << "dialog still open";
  dialog = OpenWaveDialog(app, app.main, kWaveFile);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(AnswerDialog(dialog, IDCANCEL)) << "dialog still open";
  EXPECT_EQ(CloseAndWait(app), 0);
  saved.sd = 3;
  saved.sd_file = loop;
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), saved.Text());
}

// A mistyped name names no file: the dialog says so and stays open, and the
// sound stays as it was.
TEST_P(DialogsTest, WaveFileThatDoesNotExistIsRefused) {
  const std::string dir = TestDir();
  Conf conf;
  Running app = Launch(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  HWND dialog = OpenWaveDialog(app, app.main, kWaveFile);
  ASSERT_TRUE(dialog) << "no open-file dialog";
  for (const char* typed : {"chmie.wav", "sounds\\chime.wav"}) {
    SCOPED_TRACE(typed);
    const std::wstring path = Wide(FullPath(JoinPath(dir, typed)));
    Send(GetDlgItem(dialog, kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Post(dialog, WM_COMMAND, IDOK);
    HWND box = WaitForOwnedDialog(app.process, dialog, 3000);
    ASSERT_TRUE(IsWindow(dialog)) << "the dialog took a file that does not exist";
    ASSERT_TRUE(box) << "no word that the file does not exist";
    EXPECT_TRUE(AnswerDialog(box, IDOK));
  }
  EXPECT_TRUE(AnswerDialog(dialog, IDCANCEL));
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), conf.Text());
}

// A name the settings file's code page cannot spell must not come back as a
// path to some other file, or to none.
TEST(WaveFileNameTest, NameOutsideTheCodePageStillNamesTheFile) {
  const std::string dir = TestDir();
  const std::wstring wide_dir = Wide(FullPath(dir));
  const std::wstring bell = wide_dir + L"\\ベルの音.wav";
  HANDLE file = CreateFileW(bell.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  Conf conf;
  Running app = Launch(kFull, dir, conf);
  ASSERT_TRUE(app.main);
  HWND dialog = OpenWaveDialog(app, app.main, kWaveFile);
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(Choose(dialog, bell)) << "dialog still open";
  EXPECT_EQ(CloseAndWait(app), 0);
  const Conf saved = ReadConf(dir);
  ASSERT_NE(saved.viewscale, -1) << "no settings file";
  if (saved.sd == 2) {
    wchar_t found[MAX_PATH] = {};
    GetLongPathNameW(Wide(saved.sd_file).c_str(), found, MAX_PATH);
    EXPECT_EQ(Lower(found), Lower(bell)) << "saved as " << saved.sd_file;
  } else {
    // Refused: everything stays as it was.
    EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), conf.Text());
  }
}

TEST_P(DialogsTest, AboutBoxNamesTheEdition) {
  Running app = Launch(edition(), TestDir(), Conf());
  ASSERT_TRUE(app.main);
  Post(app.main, WM_COMMAND, kAbout);
  HWND box = WaitForDialog(app.process, edition().title, 5000);
  ASSERT_TRUE(box) << "no about box captioned " << edition().title;
  EXPECT_EQ(GetWindow(box, GW_OWNER), app.main);
  const std::wstring text = MessageBoxText(box);
  const std::wstring first = Wide(edition().title) + L" ver 1.0.2.J\n\n";
  ASSERT_EQ(text.substr(0, first.size()), first) << "the text does not begin with the name and version";
  const std::wstring rights = text.substr(first.size());
  EXPECT_FALSE(rights.empty());
  EXPECT_EQ(rights.find(L'\n'), std::wstring::npos) << "more than one line of rights";
  EXPECT_TRUE(AnswerDialog(box, IDOK));
  // From the tray icon's menu the box is the same.
  Post(app.shadow, WM_COMMAND, kAbout);
  box = WaitForDialog(app.process, edition().title, 5000);
  ASSERT_TRUE(box);
  EXPECT_EQ(MessageBoxText(box), text);
  EXPECT_TRUE(AnswerDialog(box, IDOK));
  EXPECT_EQ(CloseAndWait(app), 0);
}

TEST_P(DialogsTest, EditAlarmsOpensTheAlarmFileInTheStartDirectory) {
  const std::string dir = TestDir();
  const std::string record = FullPath(JoinPath(TestDir("editor"), "opened.txt"));
  TextEditor editor(record);
  ASSERT_TRUE(editor.ok()) << "cannot register the stand-in editor";
  WriteAlarms(JoinPath(dir, kAlarmName), {7 * 3600});
  Running app = Launch(edition(), dir, Conf());
  ASSERT_TRUE(app.main);
  Post(app.main, WM_COMMAND, kEditAlarms);
  ASSERT_TRUE(WaitUntil([&] { return FileExists(record); }, 5000)) << "no editor was started";
  Sleep(100);
  const std::wstring start_dir = Lower(Wide(FullPath(dir)));
  EXPECT_EQ(Lower(ReadWideText(record)), start_dir + L"\n" + start_dir + L"\\alerm.txt");
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kAlarmName)), "07:00:00\r\n") << "an alarm file was written";

  // A new user has no alarm file: an empty one is made for the editor.
  DeleteFileA(record.c_str());
  DeleteFileA(JoinPath(dir, kAlarmName).c_str());
  Post(app.shadow, WM_COMMAND, kEditAlarms);
  ASSERT_TRUE(WaitUntil([&] { return FileExists(record); }, 5000)) << "no editor for a new file";
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kAlarmName)), "");
  EXPECT_EQ(CloseAndWait(app), 0);
}

E2E_FOR_BOTH_EDITIONS(DialogsTest);

}  // namespace
