// A start folder the ANSI code page cannot spell, as a Japanese user name
// makes on a Western Windows: the settings, the alarms and the alarm file the
// editor opens are all found there.
#include "edition_test.h"

using namespace e2e;

namespace {

class StartFolderTest : public EditionTest {};

bool AnsiCodePageSpells(const std::wstring& text) {
  BOOL lost = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr, &lost);
  return !lost;
}

TEST_P(StartFolderTest, JapaneseFolderOnAWesternSystemHoldsSettingsAlarmsAndTheAlarmFile) {
  const std::string dir = JoinPath(TestDir(), "くりまろ田中");
  // Wine's code page follows LANG; the test entry sets a Western one.
  ASSERT_FALSE(AnsiCodePageSpells(Wide(dir))) << "the ANSI code page spells the folder's name";
  ASSERT_TRUE(CreateDirectoryW(Wide(dir).c_str(), nullptr));
  Artwork art(edition());
  ASSERT_TRUE(art.ok());
  // Every line apart from what a start without the file would write.
  Conf conf;
  conf.viewscale = 3;
  conf.shadow = 0;
  conf.alerm = 1;
  conf.hour24 = 1;
  conf.topmost = 0;
  conf.movelock = 1;
  conf.calendar = 0;
  conf.sd = 1;
  conf.al_time = 1;
  conf.sd_file = "C:\\chime.wav";
  conf.x = 321;
  conf.y = 234;
  Outline idle;
  int32_t due = 0;
  Running app = LaunchWithAlarmAhead(edition(), dir, conf, 3, &idle, &due);
  ASSERT_TRUE(app.main);
  EXPECT_EQ(ReadWindow(app.main).rect, Rect(321, 234, kPictureWidth * 3, kPictureHeight * 3)) << "settings not read";
  if (edition().layered) {
    EXPECT_NE(ReadOutline(app.main), idle) << "the alarm did not ring";
  } else {
    EXPECT_EQ(AlarmRowAt(art, app.main, conf, {due}, Mode::AlarmRun, true), "")
        << "the alarm did not ring: the ALM tag shows on an even second";
  }

  const std::string record = FullPath(JoinPath(TestDir("editor"), "opened.txt"));
  TextEditor editor(record);
  ASSERT_TRUE(editor.ok()) << "cannot register the stand-in editor";
  Post(app.main, WM_COMMAND, kEditAlarms);
  ASSERT_TRUE(WaitUntil([&] { return FileExists(record); }, 5000)) << "no editor was started";
  Sleep(100);
  const std::wstring start_dir = Wide(FullPath(dir));
  EXPECT_EQ(ReadWideText(record), start_dir + L"\n" + start_dir + L"\\alerm.txt");

  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), conf.Text());
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kAlarmName)), ClockText(due) + "\r\n");
}

E2E_FOR_BOTH_EDITIONS(StartFolderTest);

}  // namespace
