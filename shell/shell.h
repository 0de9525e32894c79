#pragma once

// The rules of the two windows, free of any window system: each handler is
// what one message means, and it reaches the system only through the
// platform. The Win32 window procedures call these and nothing else decides.

#include <cstdint>

#include "shell/app_state.h"
#include "shell/shell_platform.h"
#include "settings/edition.h"
#include "settings/settings.h"

// Timer ids of the main window. 101 was the alarm file's own one-second
// watch, which now rides on the frame timer's wake at each new second.
inline constexpr uint32_t TIMER_FILE_WATCH = 101;
inline constexpr uint32_t TIMER_ALARM_LENGTH = 102;
inline constexpr uint32_t TIMER_FRAME = 200;
inline constexpr uint32_t TIMER_TRAY_RETRY = 103;
// A shell still starting (a program started with Windows) may refuse the
// tray icon, and no "taskbar created" follows: it is asked again this often.
inline constexpr uint32_t kTrayRetryInterval = 2000;
// The pace of the dance and of pupils that follow a moving pointer.
inline constexpr uint32_t kFrameInterval = 17;
// The wake for a new second comes this long after it begins, so that the
// clock read then shows it; it may be put off by the tolerance, for the
// system to batch it with other programs' wakes.
inline constexpr uint32_t kSecondMargin = 5;
inline constexpr uint32_t kSecondTolerance = 30;

// A pointer at rest is read on a beat of this length, one of whose wakes is
// the new second's, a moving one at every paint until it has rested
// kPointerActive: under Wine each reading is a round trip to the X server and
// several to the wineserver. A beat that comes a little early still reads.
// Where the system tells of the first move there is no beat.
inline constexpr uint32_t kPointerRestRead = 250;
inline constexpr uint32_t kPointerBeatSlack = 30;
inline constexpr uint32_t kPointerActive = 2000;

// Reads the pointer into app when a reading is due, or always when asked;
// true when it stands elsewhere than at the last reading.
bool ReadPointer(AppState& app, ShellPlatform& platform, uint32_t now, bool always);
// A reading is due: none yet, the system told of a move, the last one is
// kPointerRestRead old where the system tells of none, or the pointer moved
// less than kPointerActive ago.
bool PointerDue(const AppState& app, uint32_t now);

// When the frame timer next has something to show, from the tick count now
// and the local time: the next second (the clock, the colons, the alarm's
// second and the alarm-file watch), the next pose change, the next pointer
// reading; every frame while the dance runs or the pointer moves.
struct Wake {
  uint32_t delay_ms;      // from now, at least 1
  uint32_t tolerance_ms;  // how late the system may make it
};
Wake NextWake(const AppState& app, Edition edition, uint32_t now, const LocalTime& time);

// Main window created: its timers start and it takes frame 0's outline.
void MainCreated(AppState& app, ShellPlatform& platform);
// Main window going: timers stop and the settings are written with its position.
void MainDestroyed(AppState& app, const Settings& settings, ShellPlatform& platform);
// Writes the settings file in the start directory, the position read from the main window.
void SaveAppSettings(const AppState& app, const Settings& settings, ShellPlatform& platform);
// The shadow stands 3 scaled pixels right of and below the character (lite: under it).
void FollowMain(const Settings& settings, Edition edition, ShellPlatform& platform);
void ShadowCreated(AppState& app, ShellPlatform& platform);

// While another application's window fills the monitor the character stands
// on and has the foreground, both windows hide; they come back as they were
// when it goes. Alarms go on meanwhile, and the setting hide is untouched.
void StepAsideForFullScreen(AppState& app, const Settings& settings, Edition edition,
                            ShellPlatform& platform);
// The system woke from sleep: the clock, the alarms and the picture are seen
// to at once rather than at the next wake.
void Resumed(AppState& app, const Settings& settings, Edition edition, ShellPlatform& platform);
// The system told of a move of the pointer at rest: it is read and the
// pupils follow at the frame pace from now.
void PointerStirred(AppState& app, const Settings& settings, Edition edition,
                    ShellPlatform& platform);

// Every timer: the shrink watch first, then the timer's own work. The frame
// timer's wake ends by arming the next one.
void OnTimer(AppState& app, const Settings& settings, Edition edition, ShellPlatform& platform,
             uint32_t id);
// Composes the picture of this moment with the pointer as last read; sends it
// to the window when it differs from the one there. Asked for always (a paint
// message, a new outline), it reads the pointer afresh and sends it all.
void PaintMain(AppState& app, const Settings& settings, ShellPlatform& platform, bool always);
// The frame timer paints when the pose or the second (of second_of_day) differs
// from the picture's, or the pointer moved.
bool PaintDue(const AppState& app, int32_t second_of_day, bool pointer_moved);

// Both windows take the outline of the current pose, the main window first.
void ReshapeMain(AppState& app, const Settings& settings, ShellPlatform& platform);
void ReshapeShadow(AppState& app, const Settings& settings, Edition edition,
                   ShellPlatform& platform);

void StopAlarm(AppState& app, const Settings& settings, ShellPlatform& platform);
// A double click on the character stops a running alarm; otherwise it does nothing.
void DoubleClicked(AppState& app, const Settings& settings, ShellPlatform& platform);

// The shrink watch: after a shrink of the screen the main window comes back
// onto it. Every timer runs it first; a system that reports a change of
// monitors may run it then.
void WatchScreen(AppState& app, const Settings& settings, ShellPlatform& platform);

// Records the virtual screen's size when it shrank in either direction (both
// dimensions at once); a screen that grew is not recorded. True on a shrink.
bool ScreenShrank(AppState& app, const ScreenRect& screen);
// The top-left that puts the window back on the screen after a shrink:
// clamped to the screen's own rectangle, so that a monitor left of or above
// the main one counts. A screen narrower than the window gives its left edge
// less the overhang.
ScreenPoint ClampToScreen(const ScreenRect& screen, const ScreenRect& window, int32_t scale);

// Dragging with the left button. A press starts a drag unless the position is
// locked; x and y are window pixels of the press.
void PressLeft(AppState& app, const Settings& settings, ShellPlatform& platform, int32_t x,
               int32_t y);
// While dragging, the window follows the cursor at the grab offset, unclamped.
void MoveMouse(AppState& app, const Settings& settings, ShellPlatform& platform);
// A left or middle release ends a drag and frees the mouse, drag or not.
void ReleaseLeftOrMiddle(AppState& app, ShellPlatform& platform);
// Losing the activation ends a drag.
void Deactivated(AppState& app, ShellPlatform& platform);
// A right release ends a drag; true when it ended none and no alarm runs,
// which is when the context menu may open.
bool ReleaseRight(AppState& app, ShellPlatform& platform);
