// The context menu as the user sees it, for several settings, in the
// desktop's language. Another process cannot read a popup menu under Wine,
// so the menu is built here as the program builds it: its resource in the
// language the program picks, loaded from the built program, rewritten by the
// program's own menu code, then read back item by item.
#include <set>

#include "edition_test.h"
#include "shell/menu_state.h"
#include "win32/language_win.h"
#include "win32/menu_win.h"

using namespace e2e;

namespace {

// One item of the shown menu; id 0 is a popup heading, -1 a separator.
struct Item {
  const wchar_t* japanese;
  const wchar_t* english;
  int id;
  std::vector<Item> items;
};

const Item kSeparator = {L"", L"", -1, {}};

Item Size(int factor) {
  static const wchar_t* const labels[] = {L"x1", L"x2", L"x3", L"x4", L"x5",
                                          L"x6", L"x7", L"x8", L"x9", L"x10"};
  return {labels[factor - 1], labels[factor - 1], 40008 + factor, {}};
}

// Every item, labels and id as shown, top to bottom.
const std::vector<Item>& ShownMenu() {
  static const std::vector<Item> menu = {
      {L"表示", L"Display", 0,
       {{L"24時間表示", L"24-hour clock", 40034, {}},
        {L"アラームモード", L"Alarm mode", 40033, {}},
        {L"カレンダー表示", L"Show date", 40032, {}},
        {L"最前面表示", L"Always on top", 40031, {}},
        {L"位置固定", L"Lock position", 40041, {}},
        {L"ドロップシャドウ", L"Drop shadow", 40061, {}}}},
      {L"サイズ", L"Size", 0,
       {Size(1), Size(2), Size(3), Size(4), Size(5), Size(6), Size(7), Size(8), Size(9),
        Size(10)}},
      {L"アラーム音", L"Alarm sound", 0,
       {{L"\"LAUGH\"", L"\"LAUGH\"", 40051, {}},
        {L"\"OK\"", L"\"OK\"", 40046, {}},
        kSeparator,
        {L"WAVEファイル", L"WAVE file...", 40048, {}},
        {L"WAVEファイル(LOOP)", L"WAVE file (loop)...", 40050, {}},
        kSeparator,
        {L"アラーム再生時間", L"Alarm length", 0,
         {{L"5秒", L"5 seconds", 40059, {}},
          {L"10秒", L"10 seconds", 40055, {}},
          {L"30秒", L"30 seconds", 40056, {}},
          {L"60秒", L"60 seconds", 40057, {}}}}}},
      kSeparator,
      {L"アラーム時刻の編集", L"Edit alarm times...", 40066, {}},
      kSeparator,
      {L"(tray)", L"(tray)", 40064, {}},
      {L"ログイン時に起動", L"Start at login", 40067, {}},
      kSeparator,
      {L"Kurimaroについて", L"About Kurimaro", 40040, {}},
      kSeparator,
      {L"終了", L"Exit", 40037, {}},
  };
  return menu;
}

std::wstring TrayLabel(bool stored) {
  return stored ? Shown(L"タスクトレイから出す", L"Restore from tray")
                : Shown(L"タスクトレイに格納", L"Hide in tray");
}

struct Case {
  const char* name;
  Settings settings;
  std::set<int> checked;
  std::set<int> grayed;
};

Settings Make(int scale, bool on, bool shadow, bool hide, int sd, int al_time) {
  Settings s;
  s.scale = scale;
  s.show_alarm = s.hour24 = s.move_lock = on;
  s.topmost = s.show_date = on;
  s.shadow = shadow;
  s.in_tray = hide;
  s.sound = sd;
  s.play_time = al_time;
  return s;
}

const std::set<int> kLiteGrey = {40061, 40014, 40015, 40016, 40017, 40018};

std::vector<Case> FullCases() {
  Settings defaults;
  return {
      {"defaults", defaults, {40031, 40032, 40061, 40010, 40051, 40059}, {}},
      {"all on, stored, x10, looped file, 60 s", Make(10, true, true, true, 3, 3),
       {40034, 40033, 40032, 40031, 40041, 40061, 40018, 40050, 40057}, {}},
      {"all off, x1, OK, 30 s", Make(1, false, false, false, 1, 2), {40009, 40046, 40056}, {}},
      {"x7, file once, 10 s", Make(7, false, false, false, 2, 1), {40015, 40048, 40055}, {}},
      // Values the loader never lets through still check one item of each group.
      {"unknown sound and play time", Make(4, false, false, false, 9, -4), {40012, 40051, 40059}, {}},
  };
}

std::vector<Case> LiteCases() {
  Settings defaults;
  return {
      // The shadow is on in the settings but never checked in this edition.
      {"defaults", defaults, {40031, 40032, 40010, 40051, 40059}, kLiteGrey},
      {"all on, stored, x5, file once, 10 s", Make(5, true, true, true, 2, 1),
       {40034, 40033, 40032, 40031, 40041, 40013, 40048, 40055}, kLiteGrey},
      {"all off, x1, looped file, 60 s", Make(1, false, false, false, 3, 3), {40009, 40050, 40057},
       kLiteGrey},
  };
}

void ExpectItems(HMENU menu, const std::vector<Item>& expected, const Case& c, const std::string& path) {
  ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(expected.size())) << path;
  for (size_t i = 0; i < expected.size(); ++i) {
    const Item& want = expected[i];
    SCOPED_TRACE(path + "/" + std::to_string(i + 1));
    wchar_t label[128] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = label;
    info.cch = 128;
    ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
    if (want.id == -1) {
      EXPECT_TRUE(info.fType & MFT_SEPARATOR);
      continue;
    }
    EXPECT_FALSE(info.fType & (MFT_SEPARATOR | MFT_OWNERDRAW | MFT_BITMAP));
    std::wstring want_label = Shown(want.japanese, want.english);
    if (want.id == kTray) want_label = TrayLabel(c.settings.in_tray);
    EXPECT_EQ(std::wstring(label), want_label);
    if (want.id == 0) {
      ASSERT_TRUE(info.hSubMenu);
      ExpectItems(info.hSubMenu, want.items, c, path + "/" + std::to_string(i + 1));
      continue;
    }
    EXPECT_FALSE(info.hSubMenu);
    EXPECT_EQ(static_cast<int>(info.wID), want.id);
    EXPECT_EQ((info.fState & MFS_CHECKED) != 0, c.checked.count(want.id) == 1) << "check of " << want.id;
    EXPECT_EQ((info.fState & MFS_GRAYED) != 0, c.grayed.count(want.id) == 1) << "grey of " << want.id;
    // The same as another caller of the menu API sees it.
    const UINT state = GetMenuState(menu, want.id, MF_BYCOMMAND);
    EXPECT_EQ((state & MF_CHECKED) != 0, c.checked.count(want.id) == 1);
  }
}

void CheckProgram(const Program& program, ::Edition edition, const std::vector<Case>& cases) {
  HMODULE module = LoadAsData(program);
  ASSERT_TRUE(module);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Afresh for every showing, as the program does.
    const Language language = UserLanguage();
    HMENU menu = LoadContextMenu(module, language);
    ASSERT_TRUE(menu);
    ApplyMenuState(menu, MenuState(c.settings, edition, language, true));
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    HMENU shown = GetSubMenu(menu, 0);
    ASSERT_TRUE(shown);
    ExpectItems(shown, ShownMenu(), c, "menu");
    DestroyMenu(menu);
  }
  FreeLibrary(module);
}

TEST(MenuItemsTest, FullEditionMenuAsShown) { CheckProgram(kFull, ::Edition::Full, FullCases()); }

TEST(MenuItemsTest, LiteEditionMenuAsShown) { CheckProgram(kLite, ::Edition::Lite, LiteCases()); }

}  // namespace
