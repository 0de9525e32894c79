#include "app/menu_state.h"

#include "resources/resource_ids.h"

std::vector<MenuItemState> MenuState(const Settings& s, Edition edition) {
  const bool lite = edition == Edition::Lite;
  std::vector<MenuItemState> items = {
      {ID_ALARM_DISPLAY, "アラームモード", s.alerm, false},
      {ID_TOPMOST, "最前面表示", s.topmost, false},
      {ID_HOUR24, "24時間表示", s.hour24, false},
      {ID_CALENDAR, "カレンダー表示", s.calendar, false},
      {ID_MOVELOCK, "位置固定", s.movelock, false},
      {ID_SHADOW, "ドロップシャドウ", s.shadow && !lite, lite},
      {ID_TRAY, s.hide ? "タスクトレイから出す" : "タスクトレイに格納", false, false},
  };
  for (int factor = 1; factor <= 10; ++factor) {
    items.push_back({static_cast<uint16_t>(ID_SIZE_X1 - 1 + factor), "x" + std::to_string(factor),
                     factor == s.viewscale, lite && factor > MaxScale(edition)});
  }
  // An unknown value checks the first item of its group.
  const int sd = s.sd >= 0 && s.sd <= 3 ? s.sd : 0;
  items.push_back({ID_SOUND_LAUGH, "\"LAUGH\"", sd == 0, false});
  items.push_back({ID_SOUND_OK, "\"OK\"", sd == 1, false});
  items.push_back({ID_SOUND_FILE, "WAVEファイル", sd == 2, false});
  items.push_back({ID_SOUND_FILE_LOOP, "WAVEファイル(LOOP)", sd == 3, false});
  const int t = s.al_time >= 0 && s.al_time <= 3 ? s.al_time : 0;
  items.push_back({ID_PLAY_5S, "5秒", t == 0, false});
  items.push_back({ID_PLAY_10S, "10秒", t == 1, false});
  items.push_back({ID_PLAY_30S, "30秒", t == 2, false});
  items.push_back({ID_PLAY_60S, "60秒", t == 3, false});
  return items;
}
