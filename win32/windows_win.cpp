// The Win32 half's two windows: their classes and their making. Each window
// carries the platform record, which its procedure finds again.
#include "resources/resource_ids.h"
#include "win32/main_window.h"
#include "win32/names_win.h"
#include "win32/platform_win.h"
#include "win32/shadow_window.h"

namespace {

constexpr DWORD kExStyle = kEdition == Edition::Lite ? WS_EX_TOOLWINDOW
                                                     : WS_EX_LAYERED | WS_EX_TOOLWINDOW;
// A layered window is hit where it shows, and the shadow's fringe would take
// clicks meant for the window under it; only WS_EX_TRANSPARENT lets them
// through. The tray icon's messages and the menu's commands still come: they
// are sent to the window, not found by hit testing.
constexpr DWORD kShadowExStyle = kEdition == Edition::Lite ? kExStyle
                                                           : kExStyle | WS_EX_TRANSPARENT;

bool RegisterWindowClass(HINSTANCE module, const char* name, WNDPROC procedure) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = procedure;
  wc.hInstance = module;
  wc.hIcon = LoadIconA(module, MAKEINTRESOURCEA(IDI_WINDOW_ICON));
  wc.hIconSm = wc.hIcon;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = name;
  return RegisterClassExA(&wc) != 0;
}

HWND Make(Win32Platform& p, DWORD ex_style, const char* class_name, const ScreenRect& at,
          HWND owner) {
  return CreateWindowExA(ex_style, class_name, kNames.title, WS_POPUP, at.left, at.top, at.width,
                         at.height, owner, nullptr, p.module, &p);
}

}  // namespace

bool Win32Platform::CreateWindows(const ScreenRect& main, const ScreenRect& shadow) {
  if (!RegisterWindowClass(module, kNames.shadow_class, ShadowWindowProc)) return false;
  Make(*this, kShadowExStyle, kNames.shadow_class, shadow, nullptr);
  if (!RegisterWindowClass(module, kNames.main_class, MainWindowProc)) return false;
  Make(*this, kExStyle, kNames.main_class, main, shadow_window);
  return main_window && shadow_window;
}

Win32Platform* PlatformOf(HWND window, UINT message, LPARAM lparam) {
  // The first message of a window that carries the record.
  if (message == WM_NCCREATE) {
    auto* p = static_cast<Win32Platform*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(p));
    return p;
  }
  return reinterpret_cast<Win32Platform*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}
