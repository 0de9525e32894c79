#include "app/main_window.h"

#include "app/app_state.h"

namespace {

void OnCreate(HWND window) {
  // A layered window stays invisible until it is given its opacity.
  if (kEdition == Edition::Full) SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
}

void OnDestroy() { SaveSettings(); }

// The shadow follows the character, 3 scaled pixels right of and below it.
void OnMove(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  const int s = g_settings.viewscale;
  const int offset = kEdition == Edition::Lite ? 0 : 3 * s;
  MoveWindow(g_app.shadow_window, rect.left + offset, rect.top + offset, kWindowWidth * s,
             kWindowHeight * s, FALSE);
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_MOVE: OnMove(window); return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
