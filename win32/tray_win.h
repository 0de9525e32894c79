#pragma once

#include <windows.h>

// The tray icon's callback to the shadow window.
inline constexpr UINT WM_APP_TRAY = WM_APP + 100;

// Adds the icon once for the life of the shadow window; false when it was
// added before or the shell refused it.
bool AddTrayIcon(HWND window);
// Adds the icon again after the shell restarted and lost it.
void RestoreTrayIcon();
bool RemoveTrayIcon();
// The message the shell broadcasts when it (re)starts; the same number for
// every caller of the session.
UINT TaskbarCreatedMessage();
