#include "win32/main_window.h"

#include "shell/commands.h"
#include "shell/events.h"
#include "shell/windows.h"
#include "win32/platform_win.h"

namespace {

void OnCreate(Win32Platform& p, HWND window) {
  p.main_window = window;
  p.RefreshMainBounds();
  // A layered window stays invisible until it is given its opacity.
  if (p.app->edition == Edition::Full) SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
}

void OnMove(Win32Platform& p) {
  p.RefreshMainBounds();
  MainMoved(*p.app);
}

void OnPaint(Win32Platform& p, HWND window) {
  PAINTSTRUCT ps;
  p.paint_dc = BeginPaint(window, &ps);
  PaintMain(*p.app, true);
  p.paint_dc = nullptr;
  EndPaint(window, &ps);
}

void OnActivate(App& app, WPARAM wparam) {
  if (wparam == 0) Deactivated(app);
}

// The grab point is read from lParam unsigned, as the press can only lie
// inside the window.
void OnLeftDown(App& app, LPARAM lparam) { PressLeft(app, LOWORD(lparam), HIWORD(lparam)); }

void OnRightUp(App& app) {
  if (ReleaseRight(app)) OpenCharacterMenu(app);
}

// Reports still queued when the listening stopped are not moves at rest.
// Each goes on to DefWindowProc, which frees what the system kept for it.
void OnInput(Win32Platform& p) {
  if (p.pointer_listening) PointerMoved(*p.app);
}

// Back from sleep or hibernation: an alarm missed meanwhile rings now, not
// at the next wake.
void OnPowerBroadcast(App& app, WPARAM event) {
  if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) Resumed(app);
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Win32Platform* p = PlatformOf(window, message, lparam);
  if (!p) return DefWindowProcA(window, message, wparam, lparam);
  App& app = *p->app;
  switch (message) {
    case WM_CREATE: OnCreate(*p, window); return 0;
    case WM_DESTROY: Closing(app); return 0;
    // Alt+F4 on the character ends the program the way Exit does, rather
    // than leaving the shadow and the tray icon behind.
    case WM_CLOSE: p->CloseProgram(); return 0;
    case WM_MOVE: OnMove(*p); return 0;
    case WM_SIZE: p->RefreshMainBounds(); return 0;
    case WM_ACTIVATE: OnActivate(app, wparam); return 0;
    // The picture covers the whole window: erasing first would flash black.
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: OnPaint(*p, window); return 0;
    case WM_TIMER: TimerFired(app, static_cast<uint32_t>(wparam)); return 0;
    case WM_MOUSEMOVE: MoveMouse(app); return 0;
    case WM_LBUTTONDOWN: OnLeftDown(app, lparam); return 0;
    case WM_LBUTTONUP:
    case WM_MBUTTONUP: ReleaseLeftOrMiddle(app); return 0;
    case WM_LBUTTONDBLCLK: DoubleClicked(app); return 0;
    case WM_RBUTTONUP: OnRightUp(app); return 0;
    case WM_COMMAND: HandleCommand(app, LOWORD(wparam)); return 0;
    // Every top-level window hears of a change of the displays.
    case WM_DISPLAYCHANGE:
      p->RefreshVirtualScreen();
      MonitorsChanged(app);
      return 0;
    case WM_POWERBROADCAST: OnPowerBroadcast(app, wparam); return TRUE;
    case WM_INPUT: OnInput(*p); break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
