#pragma once

// The context menu, its commands and the task tray, free of any window system.

#include <cstdint>

#include "shell/app_state.h"
#include "shell/shell_platform.h"
#include "settings/edition.h"
#include "settings/settings.h"

// Every menu command by id; unknown ids do nothing. Commands change the
// settings in memory only; the file is written when the program ends.
void HandleCommand(AppState& app, Settings& settings, Edition edition, ShellPlatform& platform,
                   uint32_t id);

// The menu from a right click on the character: the character stands still
// while it is open.
void OpenCharacterMenu(AppState& app, const Settings& settings, Edition edition,
                       ShellPlatform& platform);

// Only the tray icon is left; the timers and alarms go on.
void StoreInTray(const AppState& app, Settings& settings, ShellPlatform& platform);
void RestoreFromTray(AppState& app, Settings& settings, Edition edition, ShellPlatform& platform);
// The windows as the settings say at start: stored, or shown with the shadow
// when it is on. Stored needs the tray icon; without one they show.
void ShowAsStored(AppState& app, const Settings& settings, Edition edition,
                  ShellPlatform& platform);
// Asks the shell for the tray icon, as the shadow window is made; while it
// refuses (a shell still starting at logon), the retry timer asks again
// every few seconds.
void AddTrayIcon(AppState& app, ShellPlatform& platform);
// The retry timer: once the icon is there, a stored program leaves the screen.
void RetryTrayIcon(AppState& app, const Settings& settings, ShellPlatform& platform);
// The shell restarted and lost the icon. While there is none, a stored
// program shows its windows, so that it can never vanish.
void TrayHostRestarted(AppState& app, const Settings& settings, Edition edition,
                       ShellPlatform& platform);

// The tray icon's double click: out of the tray, or to the front; during an
// alarm it stops the alarm and leaves the program where it is.
void TrayDoubleClicked(AppState& app, Settings& settings, Edition edition,
                       ShellPlatform& platform);
// No menu opens from the tray during an alarm; a tray whose host opens the
// menu by itself shows it greyed then.
bool TrayMenuAllowed(const AppState& app);
// The tray icon's right click opens the menu, except during an alarm; the
// character keeps moving meanwhile.
void TrayRightClicked(AppState& app, const Settings& settings, Edition edition,
                      ShellPlatform& platform);
