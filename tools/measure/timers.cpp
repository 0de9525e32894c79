// The floor for idle CPU: a hidden window that runs the mascot's two timers
// (17 ms and 1000 ms) and does nothing on them. Ends on WM_CLOSE.
#include <windows.h>

namespace {

LRESULT CALLBACK TimersWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER: return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = TimersWindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = "MeasureTimers";
  if (!RegisterClassA(&wc)) return 1;
  // Never shown: the floor is the cost of the timers alone.
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "MeasureTimers", WS_POPUP, 0,
                                0, 1, 1, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  SetTimer(window, 101, 1000, nullptr);
  SetTimer(window, 200, 17, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
