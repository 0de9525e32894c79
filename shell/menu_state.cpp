#include "shell/menu_state.h"

#include "resources/resource_ids.h"
#include "shell/menu.h"

namespace {

// An unknown sound or play time checks the first item of its group.
int SoundChecked(const Settings& s) { return s.sound >= 0 && s.sound <= 3 ? s.sound : 0; }
int PlayTimeChecked(const Settings& s) { return s.play_time >= 0 && s.play_time <= 3 ? s.play_time : 0; }

MenuItemState ItemState(const MenuEntry& entry, const Settings& s, Edition edition,
                        Language language, bool tray, bool at_login) {
  const bool lite = edition == Edition::Lite;
  MenuItemState item = {entry.id, entry.Label(language), false, false};
  if (entry.id >= ID_SIZE_X1 && entry.id <= ID_SIZE_X10) {
    const int factor = entry.id - ID_SIZE_X1 + 1;
    item.label = "x" + std::to_string(factor);
    item.checked = factor == s.scale;
    item.grayed = factor > MaxScale(edition);
    return item;
  }
  switch (entry.id) {
    case ID_ALARM_DISPLAY:
      item.label = TextOf(Text::AlarmMode, language);
      item.checked = s.show_alarm;
      break;
    case ID_TOPMOST: item.checked = s.topmost; break;
    case ID_HOUR24: item.checked = s.hour24; break;
    case ID_CALENDAR: item.checked = s.show_date; break;
    case ID_MOVELOCK: item.checked = s.move_lock; break;
    case ID_SHADOW:
      item.checked = s.shadow && !lite;
      item.grayed = lite;
      break;
    case ID_TRAY:
      item.label = TextOf(s.in_tray ? Text::TakeOutOfTray : Text::StoreInTray, language);
      item.grayed = !s.in_tray && !tray;
      break;
    case ID_START_AT_LOGIN: item.checked = at_login; break;
    case ID_SOUND_LAUGH: item.checked = SoundChecked(s) == 0; break;
    case ID_SOUND_OK: item.checked = SoundChecked(s) == 1; break;
    case ID_SOUND_FILE: item.checked = SoundChecked(s) == 2; break;
    case ID_SOUND_FILE_LOOP:
      item.label = TextOf(Text::WaveFileLoop, language);
      item.checked = SoundChecked(s) == 3;
      break;
    case ID_PLAY_5S: item.checked = PlayTimeChecked(s) == 0; break;
    case ID_PLAY_10S: item.checked = PlayTimeChecked(s) == 1; break;
    case ID_PLAY_30S: item.checked = PlayTimeChecked(s) == 2; break;
    case ID_PLAY_60S: item.checked = PlayTimeChecked(s) == 3; break;
    default: break;
  }
  return item;
}

}  // namespace

std::vector<MenuItemState> MenuState(const Settings& s, Edition edition, Language language,
                                     bool tray, bool at_login) {
  std::vector<MenuItemState> items;
  for (const MenuEntry& entry : ContextMenu()) {
    if (entry.kind == MenuKind::Item && entry.rewritten) {
      items.push_back(ItemState(entry, s, edition, language, tray, at_login));
    }
  }
  return items;
}
