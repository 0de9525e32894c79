#include <windows.h>

#include "win32/app_win.h"
#include "win32/app_windows.h"
#include "win32/instance_lock.h"
#include "behaviour/alarm_list.h"
#include "behaviour/behaviour.h"

namespace {

// The already-running box; wide text so the Japanese reads right whatever
// the system's ANSI code page is.
void ShowAlreadyRunning() {
  MessageBoxW(nullptr, L"Kurimaro\u3001\u3042\u308b\u3044\u306fKurimaroLite\u304c\u3059\u3067\u306b\u8d77\u52d5\u3057\u3066\u3044\u307e\u3059",
              kNames.caption, MB_OK);
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  g_win.instance_handle = instance;
  // The blinks differ from run to run as the start time does.
  g_app.behaviour.random_seed = GetTickCount();
  g_settings.sd_file[0] = '\0';
  // Limit 511 with the terminator; a longer directory leaves start_dir empty.
  const DWORD limit = sizeof g_app.start_dir - 1;
  if (GetCurrentDirectoryA(limit, g_app.start_dir) >= limit) g_app.start_dir[0] = '\0';

  if (!AcquireInstanceLock()) {
    ShowAlreadyRunning();
    return 0;
  }
  if (!LoadSpritesFromResources()) {
    FreeSprites(g_app.sprites);
    ReleaseInstanceLock();
    return 0;
  }
  g_win.platform.module = instance;
  g_win.platform.FindCoalescableTimer();
  LoadAlarmList(g_app.behaviour, StartDirPath(kAlarmFileName).c_str(), g_win.platform);
  SetMode(g_app.behaviour, Idle, g_settings, g_win.platform);
  if (!CreateAppWindows()) {
    ReleaseInstanceLock();
    FreeSprites(g_app.sprites);
    return 0;
  }
  g_win.platform.RefreshVirtualScreen();
  g_app.screen_width = g_win.platform.screen.width;
  g_app.screen_height = g_win.platform.screen.height;
  ShowAppWindows();

  const int code = RunMessageLoop();
  FreeSprites(g_app.sprites);
  ReleaseInstanceLock();
  return code;
}
