#include "win32/dialogs_win.h"

#include <cderr.h>
#include <commdlg.h>

#include <cstring>
#include <string>

#include "settings/wide_path_win.h"
#include "shell/texts.h"
#include "win32/names_win.h"

namespace {

// Back to the ANSI code page the settings file keeps the path in; false when
// some character of the path has no place in it.
bool ToAnsi(const wchar_t* wide, char* out, uint32_t size) {
  // With UTF-8 as the ANSI code page (the "Beta: Use Unicode UTF-8" option)
  // WideCharToMultiByte takes no best-fit flag and no used-default pointer:
  // it fails with ERROR_INVALID_PARAMETER. Every name can be spelt there;
  // only an unpaired surrogate cannot, which WC_ERR_INVALID_CHARS reports.
  if (GetACP() == CP_UTF8) {
    return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, out,
                               static_cast<int>(size), nullptr, nullptr) > 0;
  }
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, out,
                                    static_cast<int>(size), nullptr, &lossy);
  return n > 0 && !lossy;
}

}  // namespace

bool ChooseWaveFileDialog(HWND owner, const char* title_utf8, char* path, uint32_t size) {
  wchar_t file[MAX_PATH * 2] = {};
  const std::wstring start = WaveFilePath(path);
  if (start.size() < MAX_PATH * 2) start.copy(file, start.size());
  OPENFILENAMEW ofn = {};
  // The lite edition keeps the older, shorter form of the structure.
  ofn.lStructSize = kEdition == Edition::Lite ? OPENFILENAME_SIZE_VERSION_400W : sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = L"wave(*.wav)\0*.wav\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = 512;
  const std::wstring title = WidePath(title_utf8);
  ofn.lpstrTitle = title.c_str();
  // A mistyped name is refused by the dialog itself, not saved to fail at
  // the alarm.
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  ofn.lpstrDefExt = L"wav";
  if (!GetOpenFileNameW(&ofn)) {
    // A hand-edited name with characters no file name may hold makes the
    // dialog refuse to open at all; it opens once more with no name.
    if (CommDlgExtendedError() != FNERR_INVALIDFILENAME) return false;
    file[0] = L'\0';
    if (!GetOpenFileNameW(&ofn)) return false;
  }

  char chosen[512];
  if (!ToAnsi(file, chosen, sizeof chosen)) {
    // A name the code page cannot spell may still have a short form that it can.
    wchar_t short_name[MAX_PATH * 2] = {};
    const DWORD n = GetShortPathNameW(file, short_name, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2 || !ToAnsi(short_name, chosen, sizeof chosen)) return false;
  }
  if (std::strlen(chosen) >= size) return false;
  std::strcpy(path, chosen);
  return true;
}

std::wstring WaveFilePath(const char* ansi) {
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi, -1, &wide[0], n);
  wide.resize(static_cast<size_t>(n - 1));
  return wide;
}

void ShowAboutBox(HWND owner) {
  // The version is the build's, the one the version resource carries.
  const std::wstring text = WidePath(AboutText(kNames.title, KURIMARO_VERSION_TEXT).c_str());
  MessageBoxW(owner, text.c_str(), kNames.caption, MB_OK);
}
