#include <windows.h>
#include <objbase.h>

#include "settings/wide_path_win.h"
#include "shell/startup.h"
#include "shell/texts.h"
#include "win32/instance_lock.h"
#include "win32/language_win.h"
#include "win32/names_win.h"
#include "win32/platform_win.h"

namespace {

// The already-running box; wide text so the Japanese reads right whatever
// the system's ANSI code page is.
void ShowAlreadyRunning(Language language) {
  MessageBoxW(nullptr, WidePath(TextOf(Text::AlreadyRunning, language)).c_str(), kNames.caption,
              MB_OK);
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

// Under Wine 8 raw input hears the pointer only over Wine's own windows,
// where Windows hears every move: there the pointer is read on the beat,
// unless KURIMARO_POINTER=raw asks for raw input anyway, to measure and
// test it.
bool RawPointer(bool under_wine) {
  char asked[8] = {};
  const DWORD n = GetEnvironmentVariableA("KURIMARO_POINTER", asked, sizeof asked);
  return !under_wine || (n > 0 && n < sizeof asked && lstrcmpA(asked, "raw") == 0);
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
  Win32Platform platform;
  App app(platform, kEdition);
  platform.app = &app;
  platform.module = instance;
  platform.under_wine = RunningUnderWine();
  platform.raw_pointer = RawPointer(platform.under_wine);
  app.language = UserLanguage();
  // The shell's file associations and the file dialog may use COM, and
  // ShellExecute asks for a single-threaded apartment on the calling thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  app.start_dir = StartDirectory();

  HANDLE lock = nullptr;
  if (!AcquireInstanceLock(lock)) {
    ShowAlreadyRunning(app.language);
    return 0;
  }
  platform.FindNewerCalls();
  platform.RefreshVirtualScreen();
  const int code = StartApp(app) ? RunMessageLoop() : 0;
  FreeSprites(app.sprites);
  ReleaseInstanceLock(lock);
  if (SUCCEEDED(com)) CoUninitialize();
  return code;
}
