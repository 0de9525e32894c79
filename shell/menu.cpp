#include "shell/menu.h"

#include "resources/resource_ids.h"

namespace {

constexpr MenuEntry Popup(int depth, const char* label) {
  return {depth, MenuKind::Popup, 0, label, false};
}
constexpr MenuEntry Separator(int depth) { return {depth, MenuKind::Separator, 0, "", false}; }
constexpr MenuEntry Item(int depth, uint16_t id, const char* label, bool rewritten = true) {
  return {depth, MenuKind::Item, id, label, rewritten};
}

}  // namespace

const std::vector<MenuEntry>& ContextMenu() {
  // The loop item is stored without its V; the rewrite before showing mends it.
  static const std::vector<MenuEntry> menu = {
      Popup(0, "表示"),
      Item(1, ID_HOUR24, "24時間表示"),
      Item(1, ID_ALARM_DISPLAY, "アラーム表示"),
      Item(1, ID_CALENDAR, "カレンダー表示"),
      Item(1, ID_TOPMOST, "最前面表示"),
      Item(1, ID_MOVELOCK, "位置固定"),
      Item(1, ID_SHADOW, "ドロップシャドウ"),
      Popup(0, "サイズ"),
      Item(1, 40009, "x1"), Item(1, 40010, "x2"), Item(1, 40011, "x3"), Item(1, 40012, "x4"),
      Item(1, 40013, "x5"), Item(1, 40014, "x6"), Item(1, 40015, "x7"), Item(1, 40016, "x8"),
      Item(1, 40017, "x9"), Item(1, 40018, "x10"),
      Popup(0, "アラーム音"),
      Item(1, ID_SOUND_LAUGH, "\"LAUGH\""),
      Item(1, ID_SOUND_OK, "\"OK\""),
      Separator(1),
      Item(1, ID_SOUND_FILE, "WAVEファイル"),
      Item(1, ID_SOUND_FILE_LOOP, "WAEファイル(LOOP)"),
      Separator(1),
      Popup(1, "アラーム再生時間"),
      Item(2, ID_PLAY_5S, "5秒"),
      Item(2, ID_PLAY_10S, "10秒"),
      Item(2, ID_PLAY_30S, "30秒"),
      Item(2, ID_PLAY_60S, "60秒"),
      Separator(0),
      Item(0, ID_EDIT_ALARMS, "アラーム時刻の編集", false),
      Separator(0),
      Item(0, ID_TRAY, "最小化"),
      Separator(0),
      Item(0, ID_ABOUT, "Kurimaroについて", false),
      Separator(0),
      Item(0, ID_EXIT, "終了", false),
  };
  return menu;
}
