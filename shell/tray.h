#pragma once

// The task tray, free of any window system: storing the program there and
// bringing it back, the icon and its retry, and the icon's clicks.

#include <vector>

#include "shell/app.h"
#include "shell/menu_state.h"

// Only the tray icon is left; the timers and alarms go on.
void StoreInTray(App& app);
void RestoreFromTray(App& app);
// The windows as the settings say at start: stored, or shown with the shadow
// when it is on. Stored needs the tray icon; without one they show.
void ShowAsStored(App& app);
// Asks the tray host for the icon; while it refuses (a taskbar still
// starting at logon), the retry timer asks again every few seconds where the
// system does not tell when a tray host comes.
void AddTrayIcon(App& app);
// The retry timer: once the icon is there, a stored program leaves the screen.
void RetryTrayIcon(App& app);
// The tray host restarted and lost the icon. While there is none, a stored
// program shows its windows, so that it can never vanish.
void TrayHostRestarted(App& app);

// The tray icon's double click: out of the tray, or to the front; during an
// alarm it stops the alarm and leaves the program where it is.
void TrayDoubleClicked(App& app);
// No menu opens from the tray during an alarm; a tray whose host opens the
// menu by itself shows it greyed then.
bool TrayMenuAllowed(const App& app);
// The menu as it is to show now, from the character or the tray icon.
std::vector<MenuItemState> MenuNow(App& app);
// The tray icon's right click opens the menu, except during an alarm; the
// character keeps moving meanwhile.
void TrayRightClicked(App& app);
