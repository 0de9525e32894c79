#include "win32/main_window.h"

#include "win32/app_win.h"
#include "shell/commands.h"
#include "shell/shell.h"
#include "win32/window_messages.h"

namespace {

Win32Platform& Platform() { return g_win.platform; }

void OnCreate(HWND window) {
  // Timers and outline are set up while CreateWindowEx is still running.
  g_win.main_window = window;
  Platform().main_window = window;
  Platform().RefreshMainBounds();
  MainCreated(g_app, Platform());
  // A layered window stays invisible until it is given its opacity.
  if (kEdition == Edition::Full) SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
}

void OnMove() {
  Platform().RefreshMainBounds();
  FollowMain(g_settings, kEdition, Platform());
}

void OnPaint(HWND window) {
  PAINTSTRUCT ps;
  Platform().paint_dc = BeginPaint(window, &ps);
  PaintMain(g_app, g_settings, Platform(), true);
  Platform().paint_dc = nullptr;
  EndPaint(window, &ps);
}

void OnActivate(WPARAM wparam) {
  if (wparam == 0) Deactivated(g_app, Platform());
}

// The grab point is read from lParam unsigned, as the press can only lie
// inside the window.
void OnLeftDown(LPARAM lparam) {
  PressLeft(g_app, g_settings, Platform(), LOWORD(lparam), HIWORD(lparam));
}

void OnRightUp() {
  if (ReleaseRight(g_app, Platform())) OpenCharacterMenu(g_app, g_settings, kEdition, Platform());
}

// Back from sleep or hibernation: an alarm missed meanwhile rings now, not
// at the next wake.
void OnPowerBroadcast(WPARAM event) {
  if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) {
    Resumed(g_app, g_settings, kEdition, Platform());
  }
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_DESTROY: MainDestroyed(g_app, g_settings, Platform()); return 0;
    // Alt+F4 on the character ends the program the way Exit does, rather
    // than leaving the shadow and the tray icon behind.
    case WM_CLOSE: Platform().CloseProgram(); return 0;
    case WM_MOVE: OnMove(); return 0;
    case WM_SIZE: Platform().RefreshMainBounds(); return 0;
    case WM_ACTIVATE: OnActivate(wparam); return 0;
    // The picture covers the whole window: erasing first would flash black.
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_TIMER:
      OnTimer(g_app, g_settings, kEdition, Platform(), static_cast<uint32_t>(wparam));
      return 0;
    case WM_MOUSEMOVE: MoveMouse(g_app, g_settings, Platform()); return 0;
    case WM_LBUTTONDOWN: OnLeftDown(lparam); return 0;
    case WM_LBUTTONUP:
    case WM_MBUTTONUP: ReleaseLeftOrMiddle(g_app, Platform()); return 0;
    case WM_LBUTTONDBLCLK: DoubleClicked(g_app, g_settings, Platform()); return 0;
    case WM_RBUTTONUP: OnRightUp(); return 0;
    case WM_COMMAND:
      HandleCommand(g_app, g_settings, kEdition, Platform(), LOWORD(wparam));
      return 0;
    // Every top-level window hears of a change of the displays; the shrink
    // watch of the next timer message then sees the new size.
    case WM_DISPLAYCHANGE: Platform().RefreshVirtualScreen(); return 0;
    case WM_POWERBROADCAST: OnPowerBroadcast(wparam); return TRUE;
    case WM_APP_RESHAPE: ReshapeMain(g_app, g_settings, Platform()); return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
