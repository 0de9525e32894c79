#pragma once

// What the window system tells the program, beyond the windows' own mouse
// and paint messages (shell/windows.h), the menu (shell/commands.h) and the
// tray icon (shell/tray.h).

#include <cstdint>

#include "shell/app.h"

// Every timer: the shrink watch first, then the timer's own work. The frame
// timer's wake ends by arming the next one.
void TimerFired(App& app, uint32_t id);
// The system woke from sleep: the clock, the alarms and the picture are seen
// to at once rather than at the next wake.
void Resumed(App& app);
// The system told of a move of the pointer at rest: it is read and the
// pupils follow at the frame pace from now.
void PointerMoved(App& app);
// The character moved or changed size: the shadow follows.
void MainMoved(App& app);
// The monitors changed: the shrink watch, then the character onto a monitor.
void MonitorsChanged(App& app);
// The session is ending or the program closes: the timers stop and the
// settings are written with the character's position. Safe to call again.
void Closing(App& app);
