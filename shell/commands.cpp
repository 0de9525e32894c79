#include "shell/commands.h"

#include <algorithm>

#include "shell/shell.h"
#include "behaviour/alarm_list.h"
#include "behaviour/behaviour.h"
#include "resources/resource_ids.h"

namespace {

void Resize(AppState& app, Settings& settings, Edition edition, ShellPlatform& platform,
            int32_t factor) {
  if (factor == settings.viewscale) return;
  settings.viewscale = std::min(factor, MaxScale(edition));
  RescaleSprites(app.sprites, settings.viewscale);
  platform.RequestReshape();
}

void ToggleAlarms(AppState& app, Settings& settings, ShellPlatform& platform) {
  if (settings.alerm) {
    settings.alerm = false;
    // The alarm-length timer is left; while Idle its expiry changes nothing.
    SetMode(app.behaviour, Idle, settings, platform);
  } else {
    settings.alerm = true;
  }
}

void ToggleShadow(Settings& settings, Edition edition, ShellPlatform& platform) {
  if (edition == Edition::Lite) return;
  settings.shadow = !settings.shadow;
  // Stored in the tray, the restore applies it.
  if (!settings.hide) platform.ShowWindowNow(AppWindow::Shadow, settings.shadow);
}

void ChooseSound(Settings& settings, ShellPlatform& platform, int32_t sd) {
  if (platform.ChooseWaveFile(settings.sd_file, sizeof settings.sd_file)) settings.sd = sd;
}

}  // namespace

void HandleCommand(AppState& app, Settings& settings, Edition edition, ShellPlatform& platform,
                   uint32_t id) {
  if (id >= ID_SIZE_X1 && id <= ID_SIZE_X10) {
    Resize(app, settings, edition, platform, static_cast<int32_t>(id - ID_SIZE_X1 + 1));
    return;
  }
  switch (id) {
    case ID_TOPMOST:
      settings.topmost = !settings.topmost;
      platform.ApplyTopmost(settings.topmost);
      break;
    case ID_CALENDAR:
      settings.calendar = !settings.calendar;
      PaintMain(app, settings, platform, true);
      break;
    case ID_ALARM_DISPLAY:
      ToggleAlarms(app, settings, platform);
      PaintMain(app, settings, platform, true);
      break;
    case ID_HOUR24:
      settings.hour24 = !settings.hour24;
      PaintMain(app, settings, platform, true);
      break;
    case ID_EXIT: platform.CloseProgram(); break;
    case ID_ABOUT: platform.ShowAbout(); break;
    case ID_MOVELOCK: settings.movelock = !settings.movelock; break;
    case ID_SOUND_LAUGH: settings.sd = 0; break;
    case ID_SOUND_OK: settings.sd = 1; break;
    case ID_SOUND_FILE: ChooseSound(settings, platform, 2); break;
    case ID_SOUND_FILE_LOOP: ChooseSound(settings, platform, 3); break;
    case ID_PLAY_5S: settings.al_time = 0; break;
    case ID_PLAY_10S: settings.al_time = 1; break;
    case ID_PLAY_30S: settings.al_time = 2; break;
    case ID_PLAY_60S: settings.al_time = 3; break;
    case ID_SHADOW: ToggleShadow(settings, edition, platform); break;
    case ID_TRAY:
      if (settings.hide) RestoreFromTray(app, settings, edition, platform);
      else StoreInTray(settings, platform);
      break;
    case ID_EDIT_ALARMS:
      platform.OpenDocument(JoinStartDir(app.start_dir, kAlarmFileName).c_str(), app.start_dir);
      break;
    default: break;
  }
}

void OpenCharacterMenu(AppState&, const Settings& settings, Edition edition,
                       ShellPlatform& platform) {
  platform.StopTimer(TIMER_FRAME);
  platform.TrackMenu(AppWindow::Main, MenuState(settings, edition));
  platform.StartTimer(TIMER_FRAME, kFrameInterval);
}

void StoreInTray(Settings& settings, ShellPlatform& platform) {
  settings.hide = true;
  platform.StoreWindows();
}

void RestoreFromTray(AppState& app, Settings& settings, Edition edition,
                     ShellPlatform& platform) {
  settings.hide = false;
  if (edition == Edition::Lite) {
    RescaleSprites(app.sprites, settings.viewscale);
    platform.RequestReshape();
    platform.RestoreWindows();
    platform.ShowWindowNow(AppWindow::Shadow, false);
  } else {
    platform.RestoreWindows();
    platform.ShowWindowNow(AppWindow::Shadow, settings.shadow);
  }
  platform.ShowWindowNow(AppWindow::Main, true);
}

void TrayDoubleClicked(AppState& app, Settings& settings, Edition edition,
                       ShellPlatform& platform) {
  const bool alarm = app.behaviour.mode != Idle;
  if (settings.hide) {
    if (alarm) StopAlarm(app, settings, platform);
    else RestoreFromTray(app, settings, edition, platform);
    return;
  }
  platform.BringToFront(AppWindow::Shadow);
  if (alarm) StopAlarm(app, settings, platform);
}

void TrayRightClicked(AppState& app, const Settings& settings, Edition edition,
                      ShellPlatform& platform) {
  platform.BringToFront(AppWindow::Shadow);
  if (app.behaviour.mode != Idle) return;
  platform.TrackMenu(AppWindow::Shadow, MenuState(settings, edition));
}
