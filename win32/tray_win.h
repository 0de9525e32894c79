#pragma once

#include <windows.h>
#include <shellapi.h>

// The tray icon's callback to the shadow window.
inline constexpr UINT WM_APP_TRAY = WM_APP + 100;

// Puts the program's icon in the tray for the window, kept in icon for its
// removal (its hIcon is ours, destroyed with the icon); false when the
// taskbar refused it.
bool AddTrayIcon(HWND window, HINSTANCE module, NOTIFYICONDATAA& icon);
bool RemoveTrayIcon(NOTIFYICONDATAA& icon);
// The message the taskbar broadcasts when it (re)starts; the same number for
// every caller of the session.
UINT TaskbarCreatedMessage();
