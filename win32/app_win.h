#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "shell/app_state.h"
#include "win32/platform_win.h"
#include "settings/edition.h"
#include "shell/built_edition.h"
#include "settings/settings.h"


// Names and texts of the two editions. The class names cross over between
// the editions on purpose; they are used exactly as they stand.
struct EditionNames {
  const char* title;         // both windows' title
  const wchar_t* caption;    // the same, for the boxes' wide captions
  const char* main_class;    // class of the character window
  const char* shadow_class;  // class of the shadow window
};

inline constexpr EditionNames kNames = kEdition == Edition::Lite
    ? EditionNames{"KurimaroLite", L"KurimaroLite", "Kurimaro", "Kurimaro_Shadow"}
    : EditionNames{"Kurimaro", L"Kurimaro", "KurimaroLite", "Kurimaro_Shadow"};

inline constexpr const char* kInstanceLockName = "Kurimaro";

// The Win32 handles of the program, beside the portable AppState.
struct Win32State {
  HINSTANCE instance_handle = nullptr;  // this module
  HANDLE instance_lock = nullptr;       // the single-instance mutex while held
  HWND main_window = nullptr;           // the character and clock
  HWND shadow_window = nullptr;         // drop shadow, owner of the main window
  NOTIFYICONDATAA tray_icon = {};       // filled when the icon is added, kept for its removal;
                                        // its hIcon is ours, destroyed with the icon
  UINT taskbar_created = 0;             // the shell's restart broadcast
  bool under_wine = false;              // Wine's stacking needs a hand (shadow_window.cpp)
  Win32Platform platform;               // every system call the rules make
};

extern Settings g_settings;
extern AppState g_app;
extern Win32State g_win;

std::string StartDirPath(const char* file_name);
// Reads the three sprite bitmaps from the program's resources.
bool LoadSpritesFromResources();
