// Start-up, windows and single instance of the real programs.
#include "edition_test.h"

using namespace e2e;

namespace {

class StartupTest : public EditionTest {};

TEST_P(StartupTest, DefaultStartMakesBothWindows) {
  const std::string dir = TestDir();
  // What a save killed midway leaves goes at the next start; nothing else does.
  WriteFileBytes(JoinPath(dir, "krm3F1A.tmp"), "$viewscale = 9\r\n");
  WriteFileBytes(JoinPath(dir, "notes.tmp"), "mine");
  Running app = Launch(edition(), dir);
  ASSERT_TRUE(app.main) << "no main window";
  // The first start makes the alarm file, empty, so the user finds where alarms go.
  EXPECT_TRUE(FileExists(JoinPath(dir, kAlarmName)));
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kAlarmName)), "");
  EXPECT_FALSE(FileExists(JoinPath(dir, "krm3F1A.tmp")));
  EXPECT_TRUE(FileExists(JoinPath(dir, "notes.tmp")));
  ASSERT_TRUE(app.shadow) << "no shadow window";

  const WindowInfo main = ReadWindow(app.main);
  const WindowInfo shadow = ReadWindow(app.shadow);
  EXPECT_EQ(main.title, edition().title);
  EXPECT_EQ(shadow.title, edition().title);
  EXPECT_EQ(main.owner, app.shadow);
  EXPECT_EQ(shadow.owner, nullptr);

  const LONG_PTR ex = edition().layered ? (WS_EX_LAYERED | WS_EX_TOOLWINDOW) : WS_EX_TOOLWINDOW;
  EXPECT_EQ(main.ex_style & (WS_EX_LAYERED | WS_EX_TOOLWINDOW), ex);
  EXPECT_EQ(shadow.ex_style & (WS_EX_LAYERED | WS_EX_TOOLWINDOW), ex);
  EXPECT_TRUE(main.style & WS_POPUP);
  EXPECT_FALSE(main.style & (WS_CAPTION | WS_THICKFRAME));

  // Default scale 2: 176 x 160 at (100, 100); the shadow 6 pixels off in the
  // full edition, on top of the character in the lite one (never shown there).
  EXPECT_EQ(main.rect, Rect(100, 100, 176, 160));
  const int offset = edition().layered ? 6 : 0;
  EXPECT_EQ(shadow.rect, Rect(100 + offset, 100 + offset, 176, 160));

  EXPECT_TRUE(main.visible);
  EXPECT_EQ(shadow.visible, edition().layered);
  if (edition().layered) {
    EXPECT_TRUE(main.has_alpha && main.alpha == 255);
    EXPECT_TRUE(shadow.has_alpha && shadow.alpha == 127);
  } else {
    EXPECT_FALSE(main.has_alpha);
  }
  EXPECT_EQ(CloseAndWait(app), 0);
}

TEST_P(StartupTest, ShadowShownOnlyWithShadowOnAndHideOff) {
  struct Case {
    int shadow, hide;
    bool main_visible;
    bool shadow_visible;  // full edition; the lite edition never shows it
  };
  const Case cases[] = {{1, 0, true, true}, {0, 0, true, false}, {1, 1, false, false},
                        {0, 1, false, false}};
  for (const Case& c : cases) {
    const std::string name = "shadow" + std::to_string(c.shadow) + "-hide" + std::to_string(c.hide);
    SCOPED_TRACE(name);
    Conf conf;
    conf.shadow = c.shadow;
    conf.hide = c.hide;
    Running app = Launch(edition(), TestDir(name), conf);
    ASSERT_TRUE(app.main && app.shadow);
    EXPECT_EQ(ReadWindow(app.main).visible, c.main_visible);
    EXPECT_EQ(ReadWindow(app.shadow).visible, c.shadow_visible && edition().layered);
    // Stored in the tray: the owner is minimised (Wine keeps the owned window
    // mapped without a window manager, so only the program's own state counts).
    if (!c.main_visible) EXPECT_TRUE(ReadWindow(app.shadow).iconic);
    EXPECT_EQ(CloseAndWait(app), 0);
  }
}

E2E_FOR_BOTH_EDITIONS(StartupTest);

// Every pairing of a running edition with a second start of either.
class SingleInstanceTest
    : public ::testing::TestWithParam<std::pair<const Program*, const Program*>> {};

TEST_P(SingleInstanceTest, SecondStartShowsBoxAndWritesNothing) {
  const Program& first = *GetParam().first;
  const Program& second = *GetParam().second;
  const std::string dir1 = TestDir("1");
  const std::string dir2 = TestDir("2");

  Running app = Launch(first, dir1);
  ASSERT_TRUE(app.main);
  const RECT before = ReadWindow(app.main).rect;

  Process late = Start(CommandLine(second), dir2);
  HWND box = WaitForDialog(late, second.title, 15000);
  ASSERT_TRUE(box) << "no already-running box captioned " << second.title;
  EXPECT_EQ(MessageBoxText(box), AlreadyRunningText());
  AnswerDialog(box, IDOK);
  EXPECT_EQ(WaitForExit(late, 15000), 0);
  EXPECT_TRUE(ListDir(dir2).empty()) << "the refused start wrote a file";

  // The running copy is untouched.
  const WindowInfo after = ReadWindow(app.main);
  EXPECT_TRUE(after.visible);
  EXPECT_EQ(after.rect, before);
  EXPECT_EQ(ListDir(dir1), std::vector<std::string>{kAlarmName});  // made at the first start
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_TRUE(FileExists(JoinPath(dir1, kConfName)));
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, SingleInstanceTest,
    ::testing::Values(std::make_pair(&kFull, &kFull), std::make_pair(&kFull, &kLite),
                      std::make_pair(&kLite, &kFull), std::make_pair(&kLite, &kLite)),
    [](const auto& info) {
      return std::string(info.param.first->name) + "Then" + info.param.second->name;
    });

// Another kind of object under the lock's name (an event another program
// made) cannot be opened as the lock nor replaced by it: it counts as a copy
// already running, as a lock held under another account does on Windows.
class ForeignLockTest : public EditionTest {};

TEST_P(ForeignLockTest, EventOfTheLocksNameShowsTheBoxAndMakesNoWindow) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, "Kurimaro");
  ASSERT_TRUE(event);
  ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "the name is taken";
  const std::string dir = TestDir();
  Process process = Start(CommandLine(edition()), dir);
  HWND box = WaitForDialog(process, edition().title, 15000);
  EXPECT_TRUE(box) << "no already-running box captioned " << edition().title;
  if (box) {
    EXPECT_EQ(MessageBoxText(box), AlreadyRunningText());
    EXPECT_TRUE(WindowsOf(process, edition().main_class).empty());
    EXPECT_TRUE(WindowsOf(process, kShadowClass).empty());
    AnswerDialog(box, IDOK);
  }
  EXPECT_EQ(WaitForExit(process, 15000), 0);
  EXPECT_TRUE(ListDir(dir).empty()) << "the refused start wrote a file";
  CloseHandle(event);
}

E2E_FOR_BOTH_EDITIONS(ForeignLockTest);

}  // namespace
