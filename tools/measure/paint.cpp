// The floor for the first frame: a plain popup window that fills itself with
// one colour on its first paint.
//   measure_paint.exe RRGGBB X Y WIDTH HEIGHT
// Ends on WM_CLOSE.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

LRESULT CALLBACK PaintWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT client;
      GetClientRect(window, &client);
      FillRect(dc, &client, reinterpret_cast<HBRUSH>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND)));
      EndPaint(window, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;  // the paint fills everything; no flash of another colour
    case WM_DESTROY: PostQuitMessage(0); return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc != 6) return 2;
  const unsigned long rgb = std::strtoul(__argv[1], nullptr, 16);
  const int x = std::atoi(__argv[2]);
  const int y = std::atoi(__argv[3]);
  const int width = std::atoi(__argv[4]);
  const int height = std::atoi(__argv[5]);

  WNDCLASSA wc = {};
  wc.lpfnWndProc = PaintWindowProc;
  wc.hInstance = instance;
  wc.hbrBackground = CreateSolidBrush(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
  wc.lpszClassName = "MeasurePaint";
  if (!RegisterClassA(&wc)) return 1;
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, wc.lpszClassName, "MeasurePaint",
                                WS_POPUP, x, y, width, height, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
