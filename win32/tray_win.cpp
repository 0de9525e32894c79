#include "win32/tray_win.h"

#include <shellapi.h>

#include <cstring>

#include "win32/app_win.h"
#include "resources/resource_ids.h"

namespace {

bool Notify(DWORD action) { return Shell_NotifyIconA(action, &g_win.tray_icon) != FALSE; }

}  // namespace

bool AddTrayIcon(HWND window) {
  NOTIFYICONDATAA& icon = g_win.tray_icon;
  icon = {};
  // The first, shortest form of the record: every shell takes it.
  icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  icon.uCallbackMessage = WM_APP_TRAY;
  icon.hIcon = LoadIconA(g_win.instance_handle, MAKEINTRESOURCEA(IDI_TRAY_ICON));
  std::strcpy(icon.szTip, "Kurimaro");
  if (Notify(NIM_ADD)) return true;
  // A busy shell can time out and report failure although it added the
  // icon; then the icon is there and a modification succeeds.
  return Notify(NIM_MODIFY);
}

bool RemoveTrayIcon() { return Notify(NIM_DELETE); }

UINT TaskbarCreatedMessage() { return RegisterWindowMessageA("TaskbarCreated"); }
