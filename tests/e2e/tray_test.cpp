// The task tray: storing the program and taking it out, by the menu and by
// the icon's double click, the drop shadow meanwhile, an alarm while stored,
// and the icon itself.
#include "edition_test.h"

#include <shellapi.h>

#include <algorithm>

using namespace e2e;

namespace {

class TrayTest : public EditionTest {};

// The tray icon's double click, handled before this returns.
bool DoubleClickIcon(const Running& app) {
  return Send(app.shadow, kTrayMessage, kTrayIcon, WM_LBUTTONDBLCLK);
}

// Stored: the owner is minimised and hidden, the character hidden too. (On
// Windows minimising the owner hides the character; Wine without a window
// manager does not, and the program hides it itself.)
void ExpectStored(const Running& app) {
  EXPECT_FALSE(ReadWindow(app.main).visible) << "character still shown";
  EXPECT_FALSE(ReadWindow(app.shadow).visible) << "shadow still shown";
  EXPECT_TRUE(ReadWindow(app.shadow).iconic) << "owner not minimised";
}

// The character lies above its shadow, as Windows keeps an owned window
// above its owner.
bool MainAboveShadow(const Running& app) {
  for (HWND hwnd = GetTopWindow(nullptr); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
    if (hwnd == app.main) return true;
    if (hwnd == app.shadow) return false;
  }
  return false;
}

void ExpectShown(const Running& app, bool shadow) {
  EXPECT_TRUE(ReadWindow(app.main).visible) << "character not shown";
  EXPECT_FALSE(ReadWindow(app.shadow).iconic) << "owner still minimised";
  EXPECT_EQ(ReadWindow(app.shadow).visible, shadow) << "shadow shown wrongly";
}

TEST_P(TrayTest, StoreAndTakeOutByMenuAndByDoubleClick) {
  const std::string dir = TestDir();
  Conf conf;
  Running app = Launch(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  const bool shadow = edition().layered;
  {
    SCOPED_TRACE("stored from the character's menu");
    ASSERT_TRUE(Send(app.main, WM_COMMAND, kTray));
    ExpectStored(app);
  }
  {
    // Stored, the menu is only reachable from the tray icon.
    SCOPED_TRACE("taken out from the tray icon's menu");
    ASSERT_TRUE(Send(app.shadow, WM_COMMAND, kTray));
    ExpectShown(app, shadow);
  }
  {
    SCOPED_TRACE("taken out by a double click on the icon");
    ASSERT_TRUE(Send(app.main, WM_COMMAND, kTray));
    ExpectStored(app);
    ASSERT_TRUE(DoubleClickIcon(app));
    ExpectShown(app, shadow);
  }
  {
    SCOPED_TRACE("double click while shown");
    ASSERT_TRUE(DoubleClickIcon(app));
    ExpectShown(app, shadow);
  }
  ASSERT_TRUE(Send(app.main, WM_COMMAND, kTray));
  EXPECT_EQ(CloseAndWait(app), 0);
  // Ended while stored: the next start is stored too, at the same place.
  Conf stored = conf;
  stored.hide = 1;
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), stored.Text());
}

TEST_P(TrayTest, DropShadowFollowsTheSettingAndWaitsWhileStored) {
  const std::string dir = TestDir();
  Conf conf;
  Running app = Launch(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  if (!edition().layered) {
    // The lite edition never shows its shadow and keeps the setting as it is.
    ASSERT_TRUE(Send(app.main, WM_COMMAND, kShadow));
    EXPECT_FALSE(ReadWindow(app.shadow).visible);
    EXPECT_EQ(CloseAndWait(app), 0);
    EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), conf.Text());
    return;
  }
  // Only IsWindowVisible here: reading the whole shadow window (ReadWindow)
  // just after it is shown again lets Wine raise it over the character.
  EXPECT_TRUE(IsWindowVisible(app.shadow));
  ASSERT_TRUE(Send(app.main, WM_COMMAND, kShadow));
  EXPECT_FALSE(IsWindowVisible(app.shadow));
  ASSERT_TRUE(Send(app.shadow, WM_COMMAND, kShadow));
  EXPECT_TRUE(IsWindowVisible(app.shadow));
  // Shown again, the shadow stays under the character. (Only here does the
  // program decide the stacking under Wine: when the tray icon's clicks or
  // taking the program out of the tray activate the shadow window, Wine may
  // raise it over the character a moment later, without a message to the
  // program. Windows keeps an owned window above its owner.)
  EXPECT_TRUE(MainAboveShadow(app)) << "the shadow lies over the character";

  // Stored, a change shows nothing until the program is taken out.
  ASSERT_TRUE(Send(app.main, WM_COMMAND, kTray));
  ASSERT_TRUE(Send(app.shadow, WM_COMMAND, kShadow));
  ExpectStored(app);
  ASSERT_TRUE(Send(app.shadow, WM_COMMAND, kTray));
  ExpectShown(app, false);
  ASSERT_TRUE(Send(app.main, WM_COMMAND, kTray));
  ASSERT_TRUE(Send(app.shadow, WM_COMMAND, kShadow));
  ExpectStored(app);
  ASSERT_TRUE(DoubleClickIcon(app));
  ExpectShown(app, true);
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), conf.Text());
}

TEST_P(TrayTest, DoubleClickDuringAnAlarmWhileStoredStopsItAndStaysStored) {
  const std::string dir = TestDir();
  Conf conf;
  conf.hide = 1;
  Outline idle;
  Running app = LaunchWithAlarmAhead(edition(), dir, conf, 2, &idle);
  ASSERT_TRUE(app.main);
  // The alarm rings while stored (the full edition's character changes its
  // outline even though it is hidden).
  if (edition().layered) ASSERT_NE(ReadOutline(app.main), idle) << "the alarm did not ring";
  ExpectStored(app);

  ASSERT_TRUE(DoubleClickIcon(app));
  if (edition().layered) {
    EXPECT_TRUE(WaitUntil([&] { return ReadOutline(app.main) == idle; }, 2000));
  }
  ExpectStored(app);
  // No alarm now: the next double click takes the program out.
  ASSERT_TRUE(DoubleClickIcon(app));
  ExpectShown(app, edition().layered);
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadConf(dir).hide, 0);
}

// Where the full edition's shadow must stand: 3 x scale right of and below
// the character, its size, with the character's outline.
void ExpectShadowFollows(const Running& app, int scale) {
  const RECT main = ReadWindow(app.main).rect;
  const int offset = 3 * scale;
  EXPECT_EQ(main.right - main.left, kPictureWidth * scale) << "character not at the new size";
  RECT shadow = {};
  GetWindowRect(app.shadow, &shadow);
  EXPECT_EQ(shadow, Rect(main.left + offset, main.top + offset, main.right - main.left,
                         main.bottom - main.top));
  EXPECT_EQ(Difference(ReadOutline(app.shadow), ReadOutline(app.main)), "") << "shadow outline";
  EXPECT_TRUE(IsWindowVisible(app.shadow));
}

// Changed while stored, the character's size and place are the shadow's on
// the way out of the tray, not the ones it was stored with.
TEST(TrayShadowTest, ShadowFollowsASizeAndAMoveMadeWhileStored) {
  Running app = Launch(kFull, TestDir(), Conf());
  ASSERT_TRUE(app.main);
  {
    SCOPED_TRACE("x2 to x4 while stored, taken out by the menu");
    ASSERT_TRUE(Send(app.main, WM_COMMAND, kTray));
    ExpectStored(app);
    ASSERT_TRUE(Send(app.shadow, WM_COMMAND, kSizeX1 + 3));
    ASSERT_TRUE(Send(app.shadow, WM_COMMAND, kTray));
    ExpectShown(app, true);
    EXPECT_EQ(ReadWindow(app.main).rect, Rect(100, 100, kPictureWidth * 4, kPictureHeight * 4));
    ExpectShadowFollows(app, 4);
  }
  {
    SCOPED_TRACE("moved from outside while stored, taken out by a double click");
    ASSERT_TRUE(Send(app.main, WM_COMMAND, kTray));
    ExpectStored(app);
    ASSERT_TRUE(SetWindowPos(app.main, nullptr, 400, 300, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(DoubleClickIcon(app));
    ExpectShown(app, true);
    EXPECT_EQ(ReadWindow(app.main).rect, Rect(400, 300, kPictureWidth * 4, kPictureHeight * 4));
    ExpectShadowFollows(app, 4);
  }
  EXPECT_EQ(CloseAndWait(app), 0);
}

// Only what the settings show reaches the screen, at the start and on the
// way out of the tray: a window shown and hidden again would flash.
TEST(TrayMapsTest, OnlyTheWindowsTheSettingsShowAreMapped) {
  MapRecord record;
  if (!record.ok()) GTEST_SKIP() << "nothing records the X server's maps: run through x_events.sh";
  struct Row {
    const Program* edition;
    int shadow;
    bool shadow_mapped;
  };
  for (const Row& row : {Row{&kLite, 1, false}, Row{&kFull, 0, false}, Row{&kFull, 1, true}}) {
    SCOPED_TRACE(std::string(row.edition->name) + (row.shadow ? " with" : " without") +
                 " the shadow");
    Conf conf;
    conf.shadow = row.shadow;
    ASSERT_TRUE(record.Mark());
    Running app = Launch(*row.edition, TestDir(row.edition->name + std::to_string(row.shadow)),
                         conf);
    ASSERT_TRUE(app.main);
    const unsigned long main = XWindowOf(app.main);
    const unsigned long shadow = XWindowOf(app.shadow);
    ASSERT_NE(main, 0u) << "no X window for the character";
    ASSERT_NE(shadow, 0u) << "no X window for the shadow";
    std::vector<unsigned long> want = {main};
    if (row.shadow_mapped) want.push_back(shadow);
    auto ours = [&](std::vector<unsigned long> maps) {
      // The tray icon's windows are Wine's own and may map as they like.
      maps.erase(std::remove_if(maps.begin(), maps.end(),
                                [&](unsigned long w) { return w != main && w != shadow; }),
                 maps.end());
      return maps;
    };
    Sleep(300);  // the record lags the server
    EXPECT_EQ(ours(record.MappedSinceMark()), want) << "at the start";
    ASSERT_TRUE(Send(app.main, WM_COMMAND, kTray));
    ExpectStored(app);
    ASSERT_TRUE(record.Mark());
    ASSERT_TRUE(DoubleClickIcon(app));
    ExpectShown(app, row.shadow_mapped);
    Sleep(300);
    EXPECT_EQ(ours(record.MappedSinceMark()), want) << "out of the tray";
    EXPECT_EQ(CloseAndWait(app), 0);
  }
}

bool DeleteIcon(HWND shadow) {
  NOTIFYICONDATAW icon = {};
  icon.cbSize = sizeof icon;
  icon.hWnd = shadow;
  icon.uID = 1;
  return Shell_NotifyIconW(NIM_DELETE, &icon) != FALSE;
}

void AnnounceShellRestart() { Post(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated")); }

bool WaitForTrayIcons(int count) {
  return WaitUntil([&] { return CountTrayIcons() == count; }, 3000);
}

TEST_P(TrayTest, IconLivesWithTheProgramAndComesBackAfterTheShellRestarts) {
  const int before = CountTrayIcons();
  Running app = Launch(edition(), TestDir(), Conf());
  ASSERT_TRUE(app.main);
  EXPECT_TRUE(WaitForTrayIcons(before + 1)) << "no tray icon while shown";

  // As a restarted shell would have lost it.
  ASSERT_TRUE(DeleteIcon(app.shadow));
  EXPECT_TRUE(WaitForTrayIcons(before));
  AnnounceShellRestart();
  EXPECT_TRUE(WaitForTrayIcons(before + 1)) << "icon not added again";

  // Stored, the icon is the only way back: it must come back too.
  ASSERT_TRUE(Send(app.main, WM_COMMAND, kTray));
  EXPECT_EQ(CountTrayIcons(), before + 1);
  ASSERT_TRUE(DeleteIcon(app.shadow));
  EXPECT_TRUE(WaitForTrayIcons(before));
  AnnounceShellRestart();
  EXPECT_TRUE(WaitForTrayIcons(before + 1)) << "icon not added again while stored";
  ASSERT_TRUE(DoubleClickIcon(app));
  ExpectShown(app, edition().layered);

  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_TRUE(WaitForTrayIcons(before)) << "icon left behind";
}

E2E_FOR_BOTH_EDITIONS(TrayTest);

}  // namespace
