#include "shell/menu.h"

#include "resources/resource_ids.h"

namespace {

constexpr MenuEntry Popup(int depth, const char* japanese, const char* english) {
  return {depth, MenuKind::Popup, 0, japanese, english, false};
}
constexpr MenuEntry Separator(int depth) {
  return {depth, MenuKind::Separator, 0, "", "", false};
}
constexpr MenuEntry Item(int depth, uint16_t id, const char* japanese, const char* english,
                         bool rewritten = true) {
  return {depth, MenuKind::Item, id, japanese, english, rewritten};
}
// The sizes and the built-in sounds read the same in both languages.
constexpr MenuEntry Item(int depth, uint16_t id, const char* both) {
  return {depth, MenuKind::Item, id, both, both, true};
}

}  // namespace

const std::vector<MenuEntry>& ContextMenu() {
  // The Japanese loop item is stored without its V; the rewrite before showing mends it.
  static const std::vector<MenuEntry> menu = {
      Popup(0, "表示", "Display"),
      Item(1, ID_HOUR24, "24時間表示", "24-hour clock"),
      Item(1, ID_ALARM_DISPLAY, "アラーム表示", "Alarm mode"),
      Item(1, ID_CALENDAR, "カレンダー表示", "Show date"),
      Item(1, ID_TOPMOST, "最前面表示", "Always on top"),
      Item(1, ID_MOVELOCK, "位置固定", "Lock position"),
      Item(1, ID_SHADOW, "ドロップシャドウ", "Drop shadow"),
      Popup(0, "サイズ", "Size"),
      Item(1, 40009, "x1"), Item(1, 40010, "x2"), Item(1, 40011, "x3"), Item(1, 40012, "x4"),
      Item(1, 40013, "x5"), Item(1, 40014, "x6"), Item(1, 40015, "x7"), Item(1, 40016, "x8"),
      Item(1, 40017, "x9"), Item(1, 40018, "x10"),
      Popup(0, "アラーム音", "Alarm sound"),
      Item(1, ID_SOUND_LAUGH, "\"LAUGH\""),
      Item(1, ID_SOUND_OK, "\"OK\""),
      Separator(1),
      Item(1, ID_SOUND_FILE, "WAVEファイル", "WAVE file..."),
      Item(1, ID_SOUND_FILE_LOOP, "WAEファイル(LOOP)", "WAVE file (loop)..."),
      Separator(1),
      Popup(1, "アラーム再生時間", "Alarm length"),
      Item(2, ID_PLAY_5S, "5秒", "5 seconds"),
      Item(2, ID_PLAY_10S, "10秒", "10 seconds"),
      Item(2, ID_PLAY_30S, "30秒", "30 seconds"),
      Item(2, ID_PLAY_60S, "60秒", "60 seconds"),
      Separator(0),
      Item(0, ID_EDIT_ALARMS, "アラーム時刻の編集", "Edit alarm times...", false),
      Separator(0),
      Item(0, ID_TRAY, "最小化", "Hide in tray"),
      Item(0, ID_START_AT_LOGIN, "ログイン時に起動", "Start at login"),
      Separator(0),
      Item(0, ID_ABOUT, "Kurimaroについて", "About Kurimaro", false),
      Separator(0),
      Item(0, ID_EXIT, "終了", "Exit", false),
  };
  return menu;
}
