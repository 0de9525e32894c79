#include "shell/menu.h"

#include "resources/resource_ids.h"

namespace {

constexpr MenuEntry Popup(int depth, const char* japanese, const char* english) {
  return {depth, MenuKind::Popup, 0, japanese, english, false, MenuMark::None};
}
constexpr MenuEntry Separator(int depth) {
  return {depth, MenuKind::Separator, 0, "", "", false, MenuMark::None};
}
constexpr MenuEntry Item(int depth, uint16_t id, const char* japanese, const char* english,
                         bool rewritten = true) {
  return {depth, MenuKind::Item, id, japanese, english, rewritten, MenuMark::None};
}
constexpr MenuEntry Check(int depth, uint16_t id, const char* japanese, const char* english) {
  return {depth, MenuKind::Item, id, japanese, english, true, MenuMark::Check};
}
constexpr MenuEntry Choice(int depth, uint16_t id, const char* japanese, const char* english) {
  return {depth, MenuKind::Item, id, japanese, english, true, MenuMark::Choice};
}
// The sizes and the built-in sounds read the same in both languages.
constexpr MenuEntry Choice(int depth, uint16_t id, const char* both) {
  return Choice(depth, id, both, both);
}

}  // namespace

const std::vector<MenuEntry>& ContextMenu() {
  // The Japanese loop item is stored without its V; the rewrite before showing mends it.
  static const std::vector<MenuEntry> menu = {
      Popup(0, "表示", "Display"),
      Check(1, ID_HOUR24, "24時間表示", "24-hour clock"),
      Check(1, ID_ALARM_DISPLAY, "アラーム表示", "Alarm mode"),
      Check(1, ID_CALENDAR, "カレンダー表示", "Show date"),
      Check(1, ID_TOPMOST, "最前面表示", "Always on top"),
      Check(1, ID_MOVELOCK, "位置固定", "Lock position"),
      Check(1, ID_SHADOW, "ドロップシャドウ", "Drop shadow"),
      Popup(0, "サイズ", "Size"),
      Choice(1, 40009, "x1"), Choice(1, 40010, "x2"), Choice(1, 40011, "x3"),
      Choice(1, 40012, "x4"), Choice(1, 40013, "x5"), Choice(1, 40014, "x6"),
      Choice(1, 40015, "x7"), Choice(1, 40016, "x8"), Choice(1, 40017, "x9"),
      Choice(1, 40018, "x10"),
      Popup(0, "アラーム音", "Alarm sound"),
      Choice(1, ID_SOUND_LAUGH, "\"LAUGH\""),
      Choice(1, ID_SOUND_OK, "\"OK\""),
      Separator(1),
      Choice(1, ID_SOUND_FILE, "WAVEファイル", "WAVE file..."),
      Choice(1, ID_SOUND_FILE_LOOP, "WAEファイル(LOOP)", "WAVE file (loop)..."),
      Separator(1),
      Popup(1, "アラーム再生時間", "Alarm length"),
      Choice(2, ID_PLAY_5S, "5秒", "5 seconds"),
      Choice(2, ID_PLAY_10S, "10秒", "10 seconds"),
      Choice(2, ID_PLAY_30S, "30秒", "30 seconds"),
      Choice(2, ID_PLAY_60S, "60秒", "60 seconds"),
      Separator(0),
      Item(0, ID_EDIT_ALARMS, "アラーム時刻の編集", "Edit alarm times...", false),
      Separator(0),
      Item(0, ID_TRAY, "最小化", "Hide in tray"),
      Check(0, ID_START_AT_LOGIN, "ログイン時に起動", "Start at login"),
      Separator(0),
      Item(0, ID_ABOUT, "Kurimaroについて", "About Kurimaro", false),
      Separator(0),
      Item(0, ID_EXIT, "終了", "Exit", false),
  };
  return menu;
}
