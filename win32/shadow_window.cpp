#include "win32/shadow_window.h"

#include "shell/commands.h"
#include "shell/events.h"
#include "shell/tray.h"
#include "shell/windows.h"
#include "win32/platform_win.h"
#include "win32/tray_win.h"

namespace {

void OnCreate(Win32Platform& p, HWND window) {
  p.shadow_window = window;
  if (p.app->edition == Edition::Full) SetLayeredWindowAttributes(window, 0, 127, LWA_ALPHA);
  p.taskbar_created = TaskbarCreatedMessage();
}

void OnDestroy(Win32Platform& p) {
  RemoveTrayIcon(p.tray_icon);
  PostQuitMessage(0);
}

// wParam, the icon's id, is not looked at: there is one icon.
void OnTray(App& app, LPARAM lparam) {
  switch (lparam) {
    case WM_LBUTTONDBLCLK: TrayDoubleClicked(app); break;
    case WM_RBUTTONUP: TrayRightClicked(app); break;
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
LRESULT OnQueryEndSession(App& app) {
  SaveAppSettings(app);
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
void KeepUnderMain(const Win32Platform& p, LPARAM lparam) {
  auto* pos = reinterpret_cast<WINDOWPOS*>(lparam);
  if (!p.under_wine || !p.main_window || (pos->flags & SWP_NOZORDER)) return;
  if (pos->hwndInsertAfter == HWND_TOPMOST || pos->hwndInsertAfter == HWND_NOTOPMOST) return;
  pos->hwndInsertAfter = p.main_window;
}

// Restoring a minimised window shows it: here the show is taken out of the
// change, as the documentation of WM_WINDOWPOSCHANGING allows, so that only
// the state changes.
void KeepHidden(const Win32Platform& p, LPARAM lparam) {
  if (!p.restoring_hidden) return;
  auto* pos = reinterpret_cast<WINDOWPOS*>(lparam);
  pos->flags = (pos->flags & ~SWP_SHOWWINDOW) | SWP_NOACTIVATE;
}

}  // namespace

LRESULT CALLBACK ShadowWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Win32Platform* p = PlatformOf(window, message, lparam);
  if (!p) return DefWindowProcA(window, message, wparam, lparam);
  App& app = *p->app;
  switch (message) {
    case WM_CREATE: OnCreate(*p, window); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_DESTROY: OnDestroy(*p); return 0;
    case WM_QUERYENDSESSION: return OnQueryEndSession(app);
    case WM_ENDSESSION: OnEndSession(window, wparam); return 0;
    case WM_APP_TRAY: OnTray(app, lparam); return 0;
    case WM_COMMAND: HandleCommand(app, LOWORD(wparam)); return 0;
    case WM_WINDOWPOSCHANGING:
      KeepHidden(*p, lparam);
      KeepUnderMain(*p, lparam);
      break;
  }
  // A restarted taskbar has lost the icon; it announces itself with this.
  if (message == p->taskbar_created && message != 0) {
    TrayHostRestarted(app);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
