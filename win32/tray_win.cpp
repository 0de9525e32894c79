#include "win32/tray_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>

#include "resources/resource_ids.h"

namespace {

bool Notify(DWORD action, NOTIFYICONDATAA& icon) { return Shell_NotifyIconA(action, &icon) != FALSE; }

using LoadIconMetricProc = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, HICON*);

// The icon's own image at the small-icon size of the system's DPI (16, 20,
// 24 or 32 pixels), so the shell has nothing to shrink. LoadIconMetric lives
// in comctl32 6 (Vista and later; the manifest asks for that version): looked
// up at run time, the program imports only system DLLs and still starts where
// it is missing. Either way the caller owns the icon and destroys it.
HICON LoadSmallTrayIcon(HINSTANCE module) {
  HICON icon = nullptr;
  if (HMODULE comctl = LoadLibraryW(L"comctl32.dll")) {
    auto load = reinterpret_cast<LoadIconMetricProc>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "LoadIconMetric")));
    if (load && FAILED(load(module, MAKEINTRESOURCEW(IDI_TRAY_ICON), LIM_SMALL, &icon))) {
      icon = nullptr;
    }
    FreeLibrary(comctl);  // the icon belongs to user32, not to comctl32
  }
  if (icon) return icon;
  const int size = GetSystemMetrics(SM_CXSMICON);
  return static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_TRAY_ICON),
                                       IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

// The icon is loaded once and kept: the system DPI that LIM_SMALL follows is
// fixed for the life of the process, so a new scaling reaches the icon at the
// next start (the shell scales it meanwhile). The shadow window's
// WM_DPICHANGED speaks of its own monitor, not the taskbar's.
bool AddTrayIcon(HWND window, HINSTANCE module, NOTIFYICONDATAA& icon) {
  const HICON loaded = icon.hIcon ? icon.hIcon : LoadSmallTrayIcon(module);
  icon = {};
  // The first, shortest form of the record: every shell takes it.
  icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  icon.uCallbackMessage = WM_APP_TRAY;
  icon.hIcon = loaded;
  std::strcpy(icon.szTip, "Kurimaro");
  if (Notify(NIM_ADD, icon)) return true;
  // A busy shell can time out and report failure although it added the
  // icon; then the icon is there and a modification succeeds.
  return Notify(NIM_MODIFY, icon);
}

// Not a shared icon: it is destroyed once the shell has let go of it.
bool RemoveTrayIcon(NOTIFYICONDATAA& icon) {
  const bool removed = Notify(NIM_DELETE, icon);
  if (icon.hIcon) DestroyIcon(icon.hIcon);
  icon.hIcon = nullptr;
  return removed;
}

UINT TaskbarCreatedMessage() { return RegisterWindowMessageA("TaskbarCreated"); }
