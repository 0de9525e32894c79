#pragma once

// The program's start, the same on every system. The window system's half
// first takes its single-instance lock and fills app.start_dir and
// app.language; afterwards it runs its loop.

#include "shell/app.h"

// In order: the pictures, the alarm file (made empty on the first start, so
// that the user finds where alarms go) and its list, the screen, the
// settings, the scaled pictures, the two windows at the settings' place
// with the first frame's outline, the timers, the tray icon, the topmost
// band, and the windows shown as the settings say. False when the program
// cannot run; nothing is left to undo but the sprites.
bool StartApp(App& app);
