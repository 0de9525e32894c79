#include "win32/startup_link_win.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "settings/wide_path_win.h"
#include "win32/names_win.h"

namespace {

std::wstring ShortcutPath() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return std::wstring();
  }
  return std::wstring(folder) + L"\\" + WidePath(kNames.title) + L".lnk";
}

std::wstring ProgramPath() {
  wchar_t path[32768];
  const DWORD n = GetModuleFileNameW(nullptr, path, 32768);
  return n == 0 || n >= 32768 ? std::wstring() : std::wstring(path, n);
}

}  // namespace

bool StartupShortcutExists() {
  const std::wstring path = ShortcutPath();
  return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateStartupShortcut(const std::string& start_dir) {
  const std::wstring path = ShortcutPath();
  const std::wstring program = ProgramPath();
  if (path.empty() || program.empty()) return false;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    return false;
  }
  link->SetPath(program.c_str());
  link->SetWorkingDirectory(WidePath(start_dir.c_str()).c_str());
  link->SetDescription(WidePath(kNames.title).c_str());
  IPersistFile* file = nullptr;
  bool saved = false;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    saved = SUCCEEDED(file->Save(path.c_str(), TRUE));
    file->Release();
  }
  link->Release();
  return saved;
}

void RemoveStartupShortcut() {
  const std::wstring path = ShortcutPath();
  if (!path.empty()) DeleteFileW(path.c_str());
}
