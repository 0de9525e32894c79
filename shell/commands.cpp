#include "shell/commands.h"

#include <algorithm>

#include "shell/shell.h"
#include "behaviour/alarm_list.h"
#include "behaviour/behaviour.h"
#include "resources/resource_ids.h"
#include "settings/atomic_file.h"

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

void ToggleShadow(const AppState& app, Settings& settings, Edition edition,
                  ShellPlatform& platform) {
  if (edition == Edition::Lite) return;
  settings.shadow = !settings.shadow;
  // Stored in the tray or stepped aside, the return applies it.
  if (!settings.hide && !app.stepped_aside) platform.ShowWindowNow(AppWindow::Shadow, settings.shadow);
}

void ChooseSound(const AppState& app, Settings& settings, ShellPlatform& platform, int32_t sd) {
  const char* title = TextOf(Text::WaveFileTitle, app.language);
  if (platform.ChooseWaveFile(title, settings.sd_file, sizeof settings.sd_file)) settings.sd = sd;
}

// A new user has no alarm file yet: an empty one is made to write the first
// alarm in. One that exists is never written.
void EditAlarmTimes(const AppState& app, ShellPlatform& platform) {
  const std::string path = JoinStartDir(app.start_dir.c_str(), kAlarmFileName);
  CreateFileIfMissing(path.c_str());
  platform.OpenDocument(path.c_str(), app.start_dir.c_str());
}

// Back from the tray (or never stored): the character first, so that the
// shadow never shows alone, then the shadow at the character's present place
// and outline, which may have changed while it was stored. The character ends
// active and on top, where a system stacks the last window shown highest.
void ShowWindows(AppState& app, const Settings& settings, Edition edition,
                 ShellPlatform& platform) {
  platform.ShowWindowNow(AppWindow::Main, true);
  platform.RestoreWindows();
  ReshapeShadow(app, settings, edition, platform);
  platform.ShowWindowNow(AppWindow::Shadow, edition == Edition::Full && settings.shadow);
  platform.BringToFront(AppWindow::Main);
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
    case ID_SOUND_FILE: ChooseSound(app, settings, platform, 2); break;
    case ID_SOUND_FILE_LOOP: ChooseSound(app, settings, platform, 3); break;
    case ID_PLAY_5S: settings.al_time = 0; break;
    case ID_PLAY_10S: settings.al_time = 1; break;
    case ID_PLAY_30S: settings.al_time = 2; break;
    case ID_PLAY_60S: settings.al_time = 3; break;
    case ID_SHADOW: ToggleShadow(app, settings, edition, platform); break;
    case ID_TRAY:
      if (settings.hide) RestoreFromTray(app, settings, edition, platform);
      else StoreInTray(app, settings, platform);
      break;
    case ID_EDIT_ALARMS: EditAlarmTimes(app, platform); break;
    default: break;
  }
}

void OpenCharacterMenu(AppState& app, const Settings& settings, Edition edition,
                       ShellPlatform& platform) {
  platform.StopTimer(TIMER_FRAME);
  platform.TrackMenu(AppWindow::Main, app.language,
                     MenuState(settings, edition, app.language, app.tray_icon));
  platform.StartTimer(TIMER_FRAME, kFrameInterval);
}

void StoreInTray(const AppState& app, Settings& settings, ShellPlatform& platform) {
  settings.hide = true;
  // With no icon to come back by, the windows stay until the tray takes one.
  if (app.tray_icon) platform.StoreWindows();
}

void RestoreFromTray(AppState& app, Settings& settings, Edition edition,
                     ShellPlatform& platform) {
  settings.hide = false;
  if (edition == Edition::Lite) {
    RescaleSprites(app.sprites, settings.viewscale);
    platform.RequestReshape();
  }
  ShowWindows(app, settings, edition, platform);
}

void ShowAsStored(AppState& app, const Settings& settings, Edition edition,
                  ShellPlatform& platform) {
  if (settings.hide && app.tray_icon) platform.StoreWindows();
  else ShowWindows(app, settings, edition, platform);
}

void AddTrayIcon(AppState& app, ShellPlatform& platform) {
  app.tray_icon = platform.AddTrayIcon();
  if (app.tray_icon || platform.TellsOfTrayHost()) platform.StopTimer(TIMER_TRAY_RETRY);
  else platform.StartTimer(TIMER_TRAY_RETRY, kTrayRetryInterval);
}

void RetryTrayIcon(AppState& app, const Settings& settings, ShellPlatform& platform) {
  AddTrayIcon(app, platform);
  if (app.tray_icon && settings.hide) platform.StoreWindows();
}

void TrayHostRestarted(AppState& app, const Settings& settings, Edition edition,
                       ShellPlatform& platform) {
  AddTrayIcon(app, platform);
  // Stored with no icon, the program would be lost to the user.
  if (!app.tray_icon && settings.hide) ShowWindows(app, settings, edition, platform);
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

bool TrayMenuAllowed(const AppState& app) { return app.behaviour.mode == Idle; }

void TrayRightClicked(AppState& app, const Settings& settings, Edition edition,
                      ShellPlatform& platform) {
  platform.BringToFront(AppWindow::Shadow);
  if (!TrayMenuAllowed(app)) return;
  platform.TrackMenu(AppWindow::Shadow, app.language,
                     MenuState(settings, edition, app.language, app.tray_icon));
}
