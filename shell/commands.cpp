#include "shell/commands.h"

#include <algorithm>

#include "behaviour/alarm_list.h"
#include "behaviour/behaviour.h"
#include "resources/resource_ids.h"
#include "settings/atomic_file.h"
#include "shell/menu_state.h"
#include "shell/shell_platform.h"
#include "shell/tray.h"
#include "shell/windows.h"

namespace {

void Resize(App& app, int32_t factor) {
  if (factor == app.settings.scale) return;
  app.settings.scale = std::min(factor, MaxScale(app.edition));
  RescaleSprites(app.sprites, app.settings.scale);
  Reshape(app);
}

void ToggleAlarms(App& app) {
  Settings& settings = app.settings;
  settings.show_alarm = !settings.show_alarm;
  // The alarm-length timer is left; while Idle its expiry changes nothing.
  if (!settings.show_alarm) SetMode(app.behaviour, Mode::Idle, settings, app.platform);
}

void ToggleShadow(App& app) {
  if (app.edition == Edition::Lite) return;
  app.settings.shadow = !app.settings.shadow;
  // Stored in the tray or stepped aside, the return applies it.
  if (!app.settings.in_tray && !app.stepped_aside) {
    app.platform.ShowShadow(app.settings.shadow);
  }
}

void ChooseSound(App& app, int32_t sound) {
  Settings& settings = app.settings;
  const char* title = TextOf(Text::WaveFileTitle, app.language);
  if (app.platform.ChooseWaveFile(title, settings.sound_file, sizeof settings.sound_file)) {
    settings.sound = sound;
  }
}

// A new user has no alarm file yet: an empty one is made to write the first
// alarm in. One that exists is never written.
void EditAlarmTimes(App& app) {
  const std::string path = JoinStartDir(app.start_dir.c_str(), kAlarmFileName);
  CreateFileIfMissing(path.c_str());
  app.platform.OpenDocument(path.c_str(), app.start_dir.c_str());
}

}  // namespace

void HandleCommand(App& app, uint32_t id) {
  Settings& settings = app.settings;
  if (id >= ID_SIZE_X1 && id <= ID_SIZE_X10) {
    Resize(app, static_cast<int32_t>(id - ID_SIZE_X1 + 1));
    return;
  }
  switch (id) {
    case ID_TOPMOST:
      settings.topmost = !settings.topmost;
      app.platform.ApplyTopmost(settings.topmost);
      break;
    case ID_CALENDAR:
      settings.show_date = !settings.show_date;
      PaintMain(app, true);
      break;
    case ID_ALARM_DISPLAY:
      ToggleAlarms(app);
      PaintMain(app, true);
      break;
    case ID_HOUR24:
      settings.hour24 = !settings.hour24;
      PaintMain(app, true);
      break;
    case ID_EXIT: app.platform.CloseProgram(); break;
    case ID_ABOUT: app.platform.ShowAbout(); break;
    case ID_MOVELOCK: settings.move_lock = !settings.move_lock; break;
    case ID_SOUND_LAUGH: settings.sound = 0; break;
    case ID_SOUND_OK: settings.sound = 1; break;
    case ID_SOUND_FILE: ChooseSound(app, 2); break;
    case ID_SOUND_FILE_LOOP: ChooseSound(app, 3); break;
    case ID_PLAY_5S: settings.play_time = 0; break;
    case ID_PLAY_10S: settings.play_time = 1; break;
    case ID_PLAY_30S: settings.play_time = 2; break;
    case ID_PLAY_60S: settings.play_time = 3; break;
    case ID_SHADOW: ToggleShadow(app); break;
    case ID_TRAY:
      if (settings.in_tray) RestoreFromTray(app);
      else StoreInTray(app);
      break;
    case ID_EDIT_ALARMS: EditAlarmTimes(app); break;
    case ID_START_AT_LOGIN:
      app.platform.SetStartAtLogin(!app.platform.StartsAtLogin(), app.start_dir);
      break;
    default: break;
  }
}

void OpenCharacterMenu(App& app) {
  ShellPlatform& platform = app.platform;
  platform.StopTimer(TIMER_FRAME);
  platform.TrackMenu(AppWindow::Main, app.language, MenuNow(app));
  platform.StartTimer(TIMER_FRAME, kFrameInterval);
}
