#include <windows.h>
#include <objbase.h>

#include "win32/app_win.h"
#include "win32/app_windows.h"
#include "shell/commands.h"
#include "win32/instance_lock.h"
#include "win32/language_win.h"
#include "shell/texts.h"
#include "behaviour/alarm_list.h"
#include "behaviour/behaviour.h"
#include "settings/wide_path_win.h"

namespace {

// The already-running box; wide text so the Japanese reads right whatever
// the system's ANSI code page is.
void ShowAlreadyRunning() {
  MessageBoxW(nullptr, WidePath(TextOf(Text::AlreadyRunning, g_app.language)).c_str(),
              kNames.caption, MB_OK);
}

// The current directory in UTF-16, so that a folder the ANSI code page cannot
// spell (a Japanese user name on a Western Windows) still names the files.
std::string StartDirectory() {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return std::string();
  std::wstring dir(n, L'\0');
  const DWORD got = GetCurrentDirectoryW(n, &dir[0]);
  if (got == 0 || got >= n) return std::string();
  dir.resize(got);
  return Utf8Path(dir.c_str());
}

// Wine's ntdll exports its version; Windows' does not.
bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
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
  g_win.under_wine = RunningUnderWine();
  g_app.language = UserLanguage();
  // The shell's file associations and the file dialog may use COM, and
  // ShellExecute asks for a single-threaded apartment on the calling thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  // The blinks differ from run to run as the start time does.
  g_app.behaviour.random_seed = GetTickCount();
  g_settings.sd_file[0] = '\0';
  g_app.start_dir = StartDirectory();

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
  ShowAsStored(g_app, g_settings, kEdition, g_win.platform);

  const int code = RunMessageLoop();
  FreeSprites(g_app.sprites);
  ReleaseInstanceLock();
  if (SUCCEEDED(com)) CoUninitialize();
  return code;
}
