#include "app/shadow_window.h"

#include "app/app_win.h"
#include "app/shell.h"
#include "app/window_messages.h"

namespace {

void OnCreate(HWND window) {
  g_win.shadow_window = window;
  g_win.platform.shadow_window = window;
  ShadowCreated(g_app, g_win.platform);
  if (kEdition == Edition::Full) SetLayeredWindowAttributes(window, 0, 127, LWA_ALPHA);
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

// Log-off or shutdown: the settings are written before the windows go, and
// once more when the main window is destroyed.
LRESULT OnQueryEndSession(HWND window) {
  SaveAppSettings(g_app, g_settings, g_win.platform);
  DestroyWindow(window);
  return TRUE;
}

}  // namespace

LRESULT CALLBACK ShadowWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_QUERYENDSESSION: return OnQueryEndSession(window);
    case WM_APP_RESHAPE: ReshapeShadow(g_app, g_settings, kEdition, g_win.platform); return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
