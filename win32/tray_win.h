#pragma once

#include <windows.h>

// The tray icon's callback to the shadow window.
inline constexpr UINT WM_APP_TRAY = WM_APP + 100;

// Puts the icon in the tray for the window; false when the shell refused it.
bool AddTrayIcon(HWND window);
bool RemoveTrayIcon();
// The message the shell broadcasts when it (re)starts; the same number for
// every caller of the session.
UINT TaskbarCreatedMessage();
