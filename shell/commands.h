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
void StoreInTray(Settings& settings, ShellPlatform& platform);
void RestoreFromTray(AppState& app, Settings& settings, Edition edition, ShellPlatform& platform);

// The tray icon's double click: out of the tray, or to the front; during an
// alarm it stops the alarm and leaves the program where it is.
void TrayDoubleClicked(AppState& app, Settings& settings, Edition edition,
                       ShellPlatform& platform);
// The tray icon's right click opens the menu, except during an alarm; the
// character keeps moving meanwhile.
void TrayRightClicked(AppState& app, const Settings& settings, Edition edition,
                      ShellPlatform& platform);
