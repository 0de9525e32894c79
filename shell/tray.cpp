#include "shell/tray.h"

#include "render/sprites.h"
#include "shell/menu_state.h"
#include "shell/shell_platform.h"
#include "shell/windows.h"

void StoreInTray(App& app) {
  app.settings.in_tray = true;
  // With no icon to come back by, the windows stay until the tray takes one.
  if (app.tray_icon) app.platform.StoreWindows();
}

void RestoreFromTray(App& app) {
  app.settings.in_tray = false;
  if (app.edition == Edition::Lite) {
    RescaleSprites(app.sprites, app.settings.scale);
    Reshape(app);
  }
  ShowWindows(app);
}

void ShowAsStored(App& app) {
  if (app.settings.in_tray && app.tray_icon) app.platform.StoreWindows();
  else ShowWindows(app);
}

void AddTrayIcon(App& app) {
  ShellPlatform& platform = app.platform;
  app.tray_icon = platform.AddTrayIcon();
  if (app.tray_icon || platform.TellsOfTrayHost()) platform.StopTimer(TIMER_TRAY_RETRY);
  else platform.StartTimer(TIMER_TRAY_RETRY, kTrayRetryInterval);
}

void RetryTrayIcon(App& app) {
  AddTrayIcon(app);
  if (app.tray_icon && app.settings.in_tray) app.platform.StoreWindows();
}

void TrayHostRestarted(App& app) {
  AddTrayIcon(app);
  // Stored with no icon, the program would be lost to the user.
  if (!app.tray_icon && app.settings.in_tray) ShowWindows(app);
}

void TrayDoubleClicked(App& app) {
  const bool alarm = app.behaviour.mode != Mode::Idle;
  if (app.settings.in_tray) {
    if (alarm) StopAlarm(app);
    else RestoreFromTray(app);
    return;
  }
  app.platform.BringToFront(AppWindow::Shadow);
  if (alarm) StopAlarm(app);
}

bool TrayMenuAllowed(const App& app) { return app.behaviour.mode == Mode::Idle; }

std::vector<MenuItemState> MenuNow(App& app) {
  return MenuState(app.settings, app.edition, app.language, app.tray_icon,
                   app.platform.StartsAtLogin());
}

void TrayRightClicked(App& app) {
  app.platform.BringToFront(AppWindow::Shadow);
  if (!TrayMenuAllowed(app)) return;
  app.platform.TrackMenu(AppWindow::Shadow, app.language, MenuNow(app));
}
