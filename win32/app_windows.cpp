#include "win32/app_windows.h"

#include "win32/app_win.h"
#include "win32/main_window.h"
#include "win32/shadow_window.h"
#include "resources/resource_ids.h"

namespace {

constexpr DWORD kExStyle = kEdition == Edition::Lite ? WS_EX_TOOLWINDOW
                                                     : WS_EX_LAYERED | WS_EX_TOOLWINDOW;

bool RegisterWindowClass(const char* name, WNDPROC procedure) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = procedure;
  wc.hInstance = g_win.instance_handle;
  wc.hIcon = LoadIconA(g_win.instance_handle, MAKEINTRESOURCEA(IDI_WINDOW_ICON));
  wc.hIconSm = wc.hIcon;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = name;
  return RegisterClassExA(&wc) != 0;
}

}  // namespace

bool CreateAppWindows() {
  const StartPosition pos = LoadSettings(g_settings, StartDirPath(kSettingsFileName).c_str(),
                                         kEdition, VirtualScreenRect());
  const int s = g_settings.viewscale;
  if (!RescaleSprites(g_app.sprites, s)) return false;

  if (!RegisterWindowClass(kNames.shadow_class, ShadowWindowProc)) return false;
  g_win.shadow_window = CreateWindowExA(kExStyle, kNames.shadow_class, kNames.title, WS_POPUP,
                                        pos.x + 4, pos.y + 4, kPictureWidth * s, kPictureHeight * s,
                                        nullptr, nullptr, g_win.instance_handle, nullptr);

  if (!RegisterWindowClass(kNames.main_class, MainWindowProc)) return false;
  g_win.main_window = CreateWindowExA(kExStyle, kNames.main_class, kNames.title, WS_POPUP, pos.x,
                                      pos.y, kPictureWidth * s, kPictureHeight * s,
                                      g_win.shadow_window, nullptr, g_win.instance_handle, nullptr);
  g_win.platform.ApplyTopmost(g_settings.topmost);
  return true;
}
