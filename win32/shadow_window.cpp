#include "win32/shadow_window.h"

#include "win32/app_win.h"
#include "shell/commands.h"
#include "shell/shell.h"
#include "win32/tray_win.h"
#include "win32/window_messages.h"

namespace {

void OnCreate(HWND window) {
  g_win.shadow_window = window;
  g_win.platform.shadow_window = window;
  ShadowCreated(g_app, g_win.platform);
  if (kEdition == Edition::Full) SetLayeredWindowAttributes(window, 0, 127, LWA_ALPHA);
  g_win.taskbar_created = TaskbarCreatedMessage();
  AddTrayIcon(g_app, g_win.platform);
}

void OnDestroy() {
  RemoveTrayIcon();
  PostQuitMessage(0);
}

// wParam, the icon's id, is not looked at: there is one icon.
void OnTray(LPARAM lparam) {
  Win32Platform& platform = g_win.platform;
  switch (lparam) {
    case WM_LBUTTONDBLCLK: TrayDoubleClicked(g_app, g_settings, kEdition, platform); break;
    case WM_RBUTTONUP: TrayRightClicked(g_app, g_settings, kEdition, platform); break;
    default: break;
  }
}

// The region gives the black fill the character's outline; the alpha makes it a shadow.
void OnPaint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EndPaint(window, &ps);
}

// Log-off or shutdown asked: the settings are written now, since another
// program may still cancel it and the session may end without a word to us.
LRESULT OnQueryEndSession() {
  SaveAppSettings(g_app, g_settings, g_win.platform);
  return TRUE;
}

// Only a session that really ends takes the program with it; the windows go
// now, synchronously, because the process may be ended once this returns.
// The main window writes the settings once more as it goes.
void OnEndSession(HWND window, WPARAM ending) {
  if (ending) DestroyWindow(window);
}

// Windows keeps an owned window above its owner; Wine without a window
// manager puts the owner on top when it is shown again, and the black shadow
// would cover the character. So under Wine any move in the z-order lands just
// under the character. On Windows this would stop "bring to front" from
// raising a covered character, so it runs under Wine only. The topmost
// switch keeps its own placing.
void KeepUnderMain(LPARAM lparam) {
  auto* pos = reinterpret_cast<WINDOWPOS*>(lparam);
  if (!g_win.under_wine || !g_win.main_window || (pos->flags & SWP_NOZORDER)) return;
  if (pos->hwndInsertAfter == HWND_TOPMOST || pos->hwndInsertAfter == HWND_NOTOPMOST) return;
  pos->hwndInsertAfter = g_win.main_window;
}

}  // namespace

LRESULT CALLBACK ShadowWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_QUERYENDSESSION: return OnQueryEndSession();
    case WM_ENDSESSION: OnEndSession(window, wparam); return 0;
    case WM_APP_RESHAPE: ReshapeShadow(g_app, g_settings, kEdition, g_win.platform); return 0;
    case WM_APP_TRAY: OnTray(lparam); return 0;
    case WM_COMMAND:
      HandleCommand(g_app, g_settings, kEdition, g_win.platform, LOWORD(wparam));
      return 0;
    case WM_WINDOWPOSCHANGING: KeepUnderMain(lparam); break;
  }
  // A restarted shell has lost the icon; it announces itself with this.
  if (message == g_win.taskbar_created && message != 0) {
    TrayHostRestarted(g_app, g_settings, kEdition, g_win.platform);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
