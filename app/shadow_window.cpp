#include "app/shadow_window.h"

#include "app/app_state.h"

namespace {

void OnCreate(HWND window) {
  if (kEdition == Edition::Full) SetLayeredWindowAttributes(window, 0, 127, LWA_ALPHA);
}

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
  SaveSettings();
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
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
