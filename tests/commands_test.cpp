// The context menu as shown and what its commands and the tray icon do,
// over a fake window system, in both editions.
#include "shell/commands.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "shell/menu.h"
#include "shell/menu_state.h"
#include "shell/events.h"
#include "shell/tray.h"
#include "shell/windows.h"
#include "resources/resource_ids.h"
#include "shell_fake.h"

namespace {

const MenuItemState& Item(const std::vector<MenuItemState>& items, int id) {
  for (const MenuItemState& item : items) {
    if (item.id == id) return item;
  }
  static const MenuItemState kMissing = {0, "missing", false, false};
  return kMissing;
}

TEST(CommandsTest, MenuShowsTheSettingsWithTheLiteEditionsGreyItems) {
  Settings s;
  s.scale = 4;
  s.sound = 9;       // unknown values check the first item of their group
  s.play_time = -1;
  s.in_tray = true;
  for (Edition edition : {Edition::Full, Edition::Lite}) {
    const bool lite = edition == Edition::Lite;
    const std::vector<MenuItemState> items = MenuState(s, edition, Language::Japanese, false);
    ASSERT_EQ(items.size(), 26u);
    EXPECT_EQ(Item(items, ID_ALARM_DISPLAY).label, "アラームモード");
    EXPECT_EQ(Item(items, ID_SOUND_FILE_LOOP).label, "WAVEファイル(LOOP)");
    EXPECT_EQ(Item(items, ID_TRAY).label, "タスクトレイから出す");
    EXPECT_EQ(Item(items, ID_SHADOW).checked, !lite);
    EXPECT_EQ(Item(items, ID_SHADOW).grayed, lite);
    for (int f = 1; f <= 10; ++f) {
      const MenuItemState& size = Item(items, ID_SIZE_X1 - 1 + f);
      EXPECT_EQ(size.label, "x" + std::to_string(f));
      EXPECT_EQ(size.checked, f == 4);
      EXPECT_EQ(size.grayed, lite && f > 5);
    }
    EXPECT_TRUE(Item(items, ID_SOUND_LAUGH).checked && !Item(items, ID_SOUND_OK).checked);
    EXPECT_TRUE(Item(items, ID_PLAY_5S).checked && !Item(items, ID_PLAY_60S).checked);
    EXPECT_FALSE(Item(items, ID_TRAY).grayed);  // the way back is never greyed
    // Each popup's choices, shown as radio items, have exactly one taken.
    std::map<size_t, int> taken;  // by the popup's place in the menu
    std::vector<size_t> popups;   // the open popup of each depth
    const std::vector<MenuEntry>& menu = ContextMenu();
    for (size_t i = 0; i < menu.size(); ++i) {
      popups.resize(static_cast<size_t>(menu[i].depth));
      if (menu[i].kind == MenuKind::Popup) popups.push_back(i);
      if (menu[i].mark == MenuMark::Choice) taken[popups.back()] += Item(items, menu[i].id).checked;
    }
    EXPECT_EQ(taken, (std::map<size_t, int>{{7, 1}, {18, 1}, {25, 1}}));
  }
  s.in_tray = false;
  EXPECT_EQ(Item(MenuState(s, Edition::Full, Language::Japanese, true), ID_TRAY).label, "タスクトレイに格納");
  EXPECT_FALSE(Item(MenuState(s, Edition::Full, Language::Japanese, true), ID_TRAY).grayed);
  // With no tray to come back by, the program cannot be stored away.
  EXPECT_TRUE(Item(MenuState(s, Edition::Full, Language::Japanese, false), ID_TRAY).grayed);
}

// Every item keeps its place, check and grey in English; only the words change.
TEST(CommandsTest, MenuInEnglishDiffersOnlyInItsLabels) {
  Settings s;
  s.in_tray = true;
  const std::vector<MenuItemState> japanese = MenuState(s, Edition::Lite, Language::Japanese, true);
  const std::vector<MenuItemState> english = MenuState(s, Edition::Lite, Language::English, true);
  ASSERT_EQ(english.size(), japanese.size());
  for (size_t i = 0; i < english.size(); ++i) {
    EXPECT_EQ(english[i].id, japanese[i].id);
    EXPECT_EQ(english[i].checked, japanese[i].checked);
    EXPECT_EQ(english[i].grayed, japanese[i].grayed);
  }
  EXPECT_EQ(Item(english, ID_ALARM_DISPLAY).label, "Alarm mode");
  EXPECT_EQ(Item(english, ID_SOUND_FILE_LOOP).label, "WAVE file (loop)...");
  EXPECT_EQ(Item(english, ID_TRAY).label, "Restore from tray");
  EXPECT_EQ(Item(english, ID_SOUND_OK).label, "\"OK\"");
  EXPECT_EQ(Item(english, ID_SIZE_X10).label, "x10");
  s.in_tray = false;
  EXPECT_EQ(Item(MenuState(s, Edition::Full, Language::English, true), ID_TRAY).label, "Hide in tray");
}

TEST(CommandsTest, SizeCommandsRescaleAndReshapeUpToTheEditionsLimit) {
  for (Edition edition : {Edition::Full, Edition::Lite}) {
    Rig rig(edition);
    HandleCommand(rig.app, ID_SIZE_X1 + 1);  // x2, checked
    EXPECT_EQ(rig.shell.Count("region main"), 0);
    HandleCommand(rig.app, ID_SIZE_X1 + 6);  // x7
    const int32_t want = edition == Edition::Lite ? 5 : 7;
    EXPECT_EQ(rig.settings.scale, want);
    EXPECT_EQ(rig.app.sprites.scale, want);
    EXPECT_EQ(rig.shell.Count("region main"), 1);
  }
}

TEST(CommandsTest, AlarmDisplayOffStopsARunningAlarm) {
  Rig rig;
  rig.settings.show_alarm = true;
  SetMode(rig.app.behaviour, Mode::AlarmRun, rig.settings, rig.shell);
  HandleCommand(rig.app, ID_ALARM_DISPLAY);
  EXPECT_FALSE(rig.settings.show_alarm);
  EXPECT_EQ(rig.app.behaviour.mode, Mode::Idle);
  EXPECT_EQ(rig.shell.Count("show"), 1) << "the picture changes at once";
  HandleCommand(rig.app, ID_ALARM_DISPLAY);
  EXPECT_TRUE(rig.settings.show_alarm);
  EXPECT_EQ(rig.app.behaviour.mode, Mode::Idle);
}

TEST(CommandsTest, WaveFileChoiceSetsTheSoundOnlyWhenAFileWasChosen) {
  Rig rig;
  HandleCommand(rig.app, ID_SOUND_FILE);
  EXPECT_EQ(rig.settings.sound, 0) << "cancelled";
  rig.shell.chosen = "C:\\sounds\\bell.wav";
  HandleCommand(rig.app, ID_SOUND_FILE_LOOP);
  EXPECT_EQ(rig.settings.sound, 3);
  HandleCommand(rig.app, ID_SOUND_LAUGH);
  EXPECT_EQ(rig.settings.sound, 0);
  EXPECT_STREQ(rig.settings.sound_file, "C:\\sounds\\bell.wav") << "kept for the next choice";
}

TEST(CommandsTest, ShadowAndTrayFollowTheStoredState) {
  using Log = std::vector<std::string>;
  for (Edition edition : {Edition::Full, Edition::Lite}) {
    const bool lite = edition == Edition::Lite;
    Rig rig(edition);
    FakeShell& shell = rig.shell;
    rig.app.tray_icon = true;
    HandleCommand(rig.app, ID_SHADOW);
    EXPECT_EQ(shell.log, lite ? Log{} : Log{"hide shadow"});
    EXPECT_EQ(rig.settings.shadow, lite);

    shell.log.clear();
    HandleCommand(rig.app, ID_TRAY);
    EXPECT_TRUE(rig.settings.in_tray);
    EXPECT_EQ(shell.log, (Log{"store windows"}));
    shell.log.clear();
    HandleCommand(rig.app, ID_SHADOW);  // stored: setting only
    EXPECT_TRUE(shell.log.empty());
    EXPECT_TRUE(rig.settings.shadow);

    // A double click on the icon during an alarm stops it and stays stored.
    SetMode(rig.app.behaviour, Mode::AlarmRun, rig.settings, shell);
    TrayDoubleClicked(rig.app);
    EXPECT_EQ(rig.app.behaviour.mode, Mode::Idle);
    EXPECT_TRUE(rig.settings.in_tray);
    // Moved while stored (the shrink watch), the character comes back first
    // and the shadow follows it there with the present outline.
    shell.main.left = 300;
    shell.log.clear();
    TrayDoubleClicked(rig.app);
    EXPECT_FALSE(rig.settings.in_tray);
    const Log full = {"show main", "restore windows", "shape shadow", "show shadow",
                      "front main"};
    // The lite edition rebuilds its pictures first and takes their outline.
    const Log lite_restore = {"region main", "show",        "show main",
                              "restore windows", "hide shadow", "front main"};
    EXPECT_EQ(shell.log, lite ? lite_restore : full);
    if (!lite) {
      EXPECT_EQ(shell.shadow.left, 300 + 3 * rig.settings.scale);
    }
  }
}

TEST(CommandsTest, MenusOpenOnlyWithoutAnAlarmAndTheCharacterStandsStill) {
  Rig rig;
  FakeShell& shell = rig.shell;
  OpenCharacterMenu(rig.app);
  EXPECT_EQ(shell.log, (std::vector<std::string>{"stop 200", "menu main", "start 200"}));
  shell.log.clear();
  TrayRightClicked(rig.app);
  EXPECT_EQ(shell.log, (std::vector<std::string>{"front shadow", "menu shadow"}));
  shell.log.clear();
  SetMode(rig.app.behaviour, Mode::AlarmStart, rig.settings, shell);
  TrayRightClicked(rig.app);
  EXPECT_EQ(shell.log, (std::vector<std::string>{"front shadow"}));
}

}  // namespace

// A shell still starting at logon refuses the icon: the stored program shows
// until the icon is taken, then leaves the screen; a shell that restarts and
// refuses again brings the windows back.
TEST(CommandsTest, StoredProgramStaysInSightUntilTheTrayTakesItsIcon) {
  using Log = std::vector<std::string>;
  Rig rig;
  FakeShell& shell = rig.shell;
  rig.settings.in_tray = true;
  shell.tray_accepts = false;
  AddTrayIcon(rig.app);
  ShowAsStored(rig.app);
  EXPECT_EQ(shell.Count("start 103"), 1);
  EXPECT_EQ(shell.Count("show main"), 1);
  EXPECT_EQ(shell.Count("store windows"), 0);

  shell.log.clear();
  TimerFired(rig.app, TIMER_TRAY_RETRY);  // still refused
  EXPECT_EQ(shell.log, (Log{"tray refused", "start 103"}));
  shell.tray_accepts = true;
  shell.log.clear();
  TimerFired(rig.app, TIMER_TRAY_RETRY);
  EXPECT_EQ(shell.log, (Log{"tray icon", "stop 103", "store windows"}));
  EXPECT_TRUE(rig.settings.in_tray);

  shell.tray_accepts = false;
  shell.log.clear();
  TrayHostRestarted(rig.app);
  EXPECT_EQ(shell.Count("show main"), 1);
  EXPECT_EQ(shell.Count("start 103"), 1);
  EXPECT_TRUE(rig.settings.in_tray);  // the setting is the user's
}

// Start at login asks the system each time, so the tick follows what the
// system holds, whoever changed it.
TEST(CommandsTest, StartAtLoginFollowsTheSystemsEntry) {
  Rig rig;
  rig.app.start_dir = "/home/me/kurimaro";
  EXPECT_FALSE(Item(MenuNow(rig.app), ID_START_AT_LOGIN).checked);
  HandleCommand(rig.app, ID_START_AT_LOGIN);
  EXPECT_EQ(rig.shell.log.back(), "start at login in /home/me/kurimaro");
  EXPECT_TRUE(Item(MenuNow(rig.app), ID_START_AT_LOGIN).checked);
  HandleCommand(rig.app, ID_START_AT_LOGIN);
  EXPECT_EQ(rig.shell.log.back(), "no start at login in /home/me/kurimaro");
  rig.shell.at_login = true;  // made outside the program
  EXPECT_TRUE(Item(MenuNow(rig.app), ID_START_AT_LOGIN).checked);
}
