#pragma once

#include <cstdint>
#include <string>

#include "behaviour/behaviour_state.h"
#include "render/paint.h"
#include "render/sprites.h"
#include "settings/edition.h"
#include "settings/settings.h"
#include "shell/texts.h"

struct ShellPlatform;

// The whole program as the shell's rules see it: the user's choices, the
// run-time state and the window system that carries them out. Each window
// system's half owns exactly one, living for the whole process, and every
// rule takes it.
struct App {
  App(ShellPlatform& system, Edition which) : platform(system), edition(which) {}

  ShellPlatform& platform;      // the window system's half
  const Edition edition;        // which of the two programs this is
  Settings settings;            // the user's choices, written at the end
  std::string start_dir;        // where the files live (UTF-8)
  Language language = Language::English;  // the user's, as the window system tells at start
  int32_t screen_width = 0;     // virtual-screen size last recorded
  int32_t screen_height = 0;
  bool tray_icon = false;       // the tray holds the program's icon
  bool stepped_aside = false;   // hidden for a full-screen application
  bool dragging = false;        // a left-button drag holds the mouse
  int32_t grab_x = 0;           // cursor inside the window when the drag began
  int32_t grab_y = 0;
  int32_t shaped_pose = 0;      // frame whose outline the windows carry
  Surface shown_picture;        // the main window's picture at scale 1; empty: unknown
  bool pointer_known = false;   // pointer holds a real reading
  ScreenPoint pointer = {0, 0}; // the mouse pointer as last read
  uint32_t pointer_read = 0;    // tick of that reading
  uint32_t pointer_moved = 0;   // tick of the last reading that found it moved
  bool pointer_watched = false; // the system watches for the resting pointer's first move
  bool pointer_stirred = false; // it told of one: a reading is due
  int32_t watched_sec = -1;     // local second of the last look at the alarm file
  Sprites sprites;              // every image and frame region
  RenderState render;           // what the last paint composed
  BehaviourState behaviour;     // modes, pose, alarm list and arming
};
