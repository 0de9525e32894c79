#pragma once

#include <windows.h>

#include "app/behaviour_platform_win.h"
#include "behaviour/behaviour_state.h"
#include "render/paint.h"
#include "render/sprites.h"
#include "settings/edition.h"
#include "settings/settings.h"

#ifdef KURIMARO_LITE
inline constexpr Edition kEdition = Edition::Lite;
#else
inline constexpr Edition kEdition = Edition::Full;
#endif

// Names and texts of the two editions. The class names cross over between
// the editions on purpose; they are used exactly as they stand.
struct EditionNames {
  const char* title;         // both windows' title, box captions
  const char* main_class;    // class of the character window
  const char* shadow_class;  // class of the shadow window
};

inline constexpr EditionNames kNames = kEdition == Edition::Lite
    ? EditionNames{"KurimaroLite", "Kurimaro", "Kurimaro_Shadow"}
    : EditionNames{"Kurimaro", "KurimaroLite", "Kurimaro_Shadow"};

inline constexpr const char* kInstanceLockName = "Kurimaro";

// Window geometry at scale 1; everything is multiplied by viewscale.
inline constexpr int kWindowWidth = 88;
inline constexpr int kWindowHeight = 80;

// Run-time state of the application shell, living for the whole process.
struct AppState {
  HINSTANCE instance_handle = nullptr;  // this module
  char start_dir[512] = {};             // current directory at start
  HANDLE instance_lock = nullptr;       // the single-instance mutex while held
  HWND main_window = nullptr;           // the character and clock
  HWND shadow_window = nullptr;         // drop shadow, owner of the main window
  int screen_width = 0;                 // virtual-screen size last recorded
  int screen_height = 0;
  Sprites sprites;                      // every image and frame region
  RenderState render;                   // what the last paint drew
  BehaviourState behaviour;             // modes, pose, alarm list and arming
  Win32BehaviourPlatform platform;      // the behaviour's system calls
};

extern Settings g_settings;
extern AppState g_app;

// Virtual-screen size; the width metric decides for both whether the
// virtual-screen metrics are usable.
int VirtualScreenWidth();
int VirtualScreenHeight();
ScreenRect VirtualScreenRect();

std::string StartDirPath(const char* file_name);
// Reads the three sprite bitmaps from the program's resources.
bool LoadSpritesFromResources();
void SaveSettings();
