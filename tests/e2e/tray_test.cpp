// The task tray: storing the program and taking it out, by the menu and by
// the icon's double click, the drop shadow meanwhile, an alarm while stored,
// and the icon itself.
#include <gtest/gtest.h>

#include "driver.h"
#include "ui_driver.h"

#include <shellapi.h>

using namespace e2e;

namespace {

constexpr int kTray = 40064;
constexpr int kShadow = 40061;

class TrayTest : public ::testing::TestWithParam<const Edition*> {
 protected:
  const Edition& edition() const { return *GetParam(); }
  std::string Dir(const std::string& what) const {
    return MakeWorkDir(std::string(edition().name) + "-tray-" + what);
  }
};

// Stored: the owner is minimised and hidden, the character hidden too. (On
// Windows minimising the owner hides the character; Wine without a window
// manager does not, and the program hides it itself.)
void ExpectStored(const Running& app) {
  EXPECT_FALSE(IsWindowVisible(app.main)) << "character still shown";
  EXPECT_FALSE(IsWindowVisible(app.shadow)) << "shadow still shown";
  EXPECT_TRUE(IsIconic(app.shadow)) << "owner not minimised";
}

void ExpectShown(const Running& app, bool shadow) {
  EXPECT_TRUE(IsWindowVisible(app.main)) << "character not shown";
  EXPECT_FALSE(IsIconic(app.shadow)) << "owner still minimised";
  EXPECT_EQ(IsWindowVisible(app.shadow) != FALSE, shadow) << "shadow shown wrongly";
}

TEST_P(TrayTest, StoreAndTakeOutByMenuAndByDoubleClick) {
  const std::string dir = Dir("store");
  Conf conf;
  Running app = LaunchWith(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  const bool shadow = edition().layered;
  {
    SCOPED_TRACE("stored from the character's menu");
    ASSERT_TRUE(SendCommand(app.main, kTray));
    ExpectStored(app);
  }
  {
    // Stored, the menu is only reachable from the tray icon.
    SCOPED_TRACE("taken out from the tray icon's menu");
    ASSERT_TRUE(SendCommand(app.shadow, kTray));
    ExpectShown(app, shadow);
  }
  {
    SCOPED_TRACE("taken out by a double click on the icon");
    ASSERT_TRUE(SendCommand(app.main, kTray));
    ExpectStored(app);
    ASSERT_TRUE(SendTray(app.shadow, WM_LBUTTONDBLCLK));
    ExpectShown(app, shadow);
  }
  {
    SCOPED_TRACE("double click while shown");
    ASSERT_TRUE(SendTray(app.shadow, WM_LBUTTONDBLCLK));
    ExpectShown(app, shadow);
  }
  {
    SCOPED_TRACE("tray icon's menu while shown");
    HWND menu = OpenTrayMenu(app);
    ASSERT_TRUE(menu);
    PressKey(menu, VK_ESCAPE);
    EXPECT_TRUE(WaitForNoMenu(app.process, 3000));
    ExpectShown(app, shadow);
  }
  ASSERT_TRUE(SendCommand(app.main, kTray));
  EXPECT_EQ(CloseAndWait(app), 0);
  // Ended while stored: the next start is stored too, at the same place.
  Conf stored = conf;
  stored.hide = 1;
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), stored.Text());
}

TEST_P(TrayTest, DropShadowFollowsTheSettingAndWaitsWhileStored) {
  const std::string dir = Dir("shadow");
  Conf conf;
  Running app = LaunchWith(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  if (!edition().layered) {
    // The lite edition never shows its shadow and keeps the setting as it is.
    ASSERT_TRUE(SendCommand(app.main, kShadow));
    EXPECT_FALSE(IsWindowVisible(app.shadow));
    EXPECT_EQ(CloseAndWait(app), 0);
    EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), conf.Text());
    return;
  }
  EXPECT_TRUE(IsWindowVisible(app.shadow));
  ASSERT_TRUE(SendCommand(app.main, kShadow));
  EXPECT_FALSE(IsWindowVisible(app.shadow));
  ASSERT_TRUE(SendCommand(app.shadow, kShadow));
  EXPECT_TRUE(IsWindowVisible(app.shadow));
  // Shown again, the shadow stays under the character. (Only here does the
  // program decide the stacking under Wine: when the tray icon's clicks or
  // taking the program out of the tray activate the shadow window, Wine may
  // raise it over the character a moment later, without a message to the
  // program. Windows keeps an owned window above its owner.)
  EXPECT_TRUE(MainAboveShadow(app)) << "the shadow lies over the character";

  // Stored, a change shows nothing until the program is taken out.
  ASSERT_TRUE(SendCommand(app.main, kTray));
  ASSERT_TRUE(SendCommand(app.shadow, kShadow));
  ExpectStored(app);
  ASSERT_TRUE(SendCommand(app.shadow, kTray));
  ExpectShown(app, false);
  ASSERT_TRUE(SendCommand(app.main, kTray));
  ASSERT_TRUE(SendCommand(app.shadow, kShadow));
  ExpectStored(app);
  ASSERT_TRUE(SendTray(app.shadow, WM_LBUTTONDBLCLK));
  ExpectShown(app, true);
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), conf.Text());
}

TEST_P(TrayTest, DoubleClickDuringAnAlarmWhileStoredStopsItAndStaysStored) {
  const std::string dir = Dir("alarm");
  Conf conf;
  conf.hide = 1;
  Outline idle;
  Running app = LaunchWithAlarmAhead(edition(), dir, conf, 2, &idle);
  ASSERT_TRUE(app.main);
  // The alarm rings while stored (the full edition's character changes its
  // outline even though it is hidden).
  if (edition().layered) ASSERT_NE(ReadOutline(app.main), idle) << "the alarm did not ring";
  ExpectStored(app);

  ASSERT_TRUE(SendTray(app.shadow, WM_LBUTTONDBLCLK));
  if (edition().layered) EXPECT_TRUE(WaitForOutline(app.main, idle, true, 2000));
  ExpectStored(app);
  // No alarm now: the next double click takes the program out.
  ASSERT_TRUE(SendTray(app.shadow, WM_LBUTTONDBLCLK));
  ExpectShown(app, edition().layered);
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadConf(dir).conf.hide, 0);
}

int TrayIconsNow() { return CountTrayIcons(); }

bool DeleteIcon(HWND shadow) {
  NOTIFYICONDATAW icon = {};
  icon.cbSize = sizeof icon;
  icon.hWnd = shadow;
  icon.uID = 1;
  return Shell_NotifyIconW(NIM_DELETE, &icon) != FALSE;
}

void AnnounceShellRestart() {
  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
}

TEST_P(TrayTest, IconLivesWithTheProgramAndComesBackAfterTheShellRestarts) {
  const std::string dir = Dir("icon");
  const int before = TrayIconsNow();
  Running app = LaunchWith(edition(), dir, Conf());
  ASSERT_TRUE(app.main);
  EXPECT_TRUE(WaitForTrayIcons(before + 1, 3000)) << "no tray icon while shown";

  // As a restarted shell would have lost it.
  ASSERT_TRUE(DeleteIcon(app.shadow));
  EXPECT_TRUE(WaitForTrayIcons(before, 3000));
  AnnounceShellRestart();
  EXPECT_TRUE(WaitForTrayIcons(before + 1, 3000)) << "icon not added again";

  // Stored, the icon is the only way back: it must come back too.
  ASSERT_TRUE(SendCommand(app.main, kTray));
  EXPECT_EQ(TrayIconsNow(), before + 1);
  ASSERT_TRUE(DeleteIcon(app.shadow));
  EXPECT_TRUE(WaitForTrayIcons(before, 3000));
  AnnounceShellRestart();
  EXPECT_TRUE(WaitForTrayIcons(before + 1, 3000)) << "icon not added again while stored";
  ASSERT_TRUE(SendTray(app.shadow, WM_LBUTTONDBLCLK));
  ExpectShown(app, edition().layered);

  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_TRUE(WaitForTrayIcons(before, 3000)) << "icon left behind";
}

INSTANTIATE_TEST_SUITE_P(Editions, TrayTest, ::testing::Values(&kFull, &kLite),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
