#pragma once

// The rules of the two windows, free of any window system: where they stand,
// their outline, the picture, the pointer, dragging and the frame timer's
// wakes. Each reaches the system only through app.platform.

#include <cstdint>

#include "render/paint.h"
#include "shell/app.h"

// Timer ids of the main window.
inline constexpr uint32_t TIMER_ALARM_LENGTH = 102;
inline constexpr uint32_t TIMER_FRAME = 200;
inline constexpr uint32_t TIMER_TRAY_RETRY = 103;
// A taskbar still starting (a program started with Windows) may refuse the
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
// Where the system watches for the first move there is no beat.
inline constexpr uint32_t kPointerRestRead = 250;
inline constexpr uint32_t kPointerBeatSlack = 30;
inline constexpr uint32_t kPointerActive = 2000;

// The shadow's place for the character's: 3 scaled pixels right of and
// below it (lite: under it, never shown).
ScreenRect ShadowBounds(const App& app, const ScreenRect& main);
// The shadow stands where ShadowBounds puts it.
void FollowMain(App& app);

// Reads the pointer into app when a reading is due, or always when asked;
// true when it stands elsewhere than at the last reading.
bool ReadPointer(App& app, uint32_t now, bool always);
// A reading is due: none yet, the system told of a move, the last one is
// kPointerRestRead old where the system watches for none, or the pointer
// moved less than kPointerActive ago.
bool PointerDue(const App& app, uint32_t now);
bool PointerMoving(const App& app, uint32_t now);

// When the frame timer next has something to show, from the tick count now
// and the local time: the next second (the clock, the colons, the alarm's
// second and the alarm-file watch), the next pose change, the next pointer
// reading; every frame while the dance runs or the pointer moves.
struct Wake {
  uint32_t delay_ms;      // from now, at least 1
  uint32_t tolerance_ms;  // how late the system may make it
};
Wake NextWake(const App& app, uint32_t now, const LocalTime& time);

// Composes the picture of this moment with the pointer as last read and
// shows what differs from the one on the window. Asked for always (a paint
// message, a new outline), it reads the pointer afresh and shows it all.
void PaintMain(App& app, bool always);
// The frame timer paints when the pose or the second (of second_of_day) differs
// from the picture's, or the pointer moved.
bool PaintDue(const App& app, int32_t second_of_day, bool pointer_moved);

// Both windows take the outline of the current pose, the main window first.
void Reshape(App& app);
// The shadow alone, at the character's present place and outline.
void ReshapeShadow(App& app);
// After a tick or a command: the windows take the current pose's outline
// when it differs from the one they carry (a blink keeps it).
void FollowOutline(App& app);

// Writes the settings file in the start directory, the position read from the main window.
void SaveAppSettings(App& app);

// The windows as the settings say, back from the tray or at start: the
// character first, so that the shadow never shows alone, then the shadow at
// the character's present place and outline. The character ends active and
// on top, where a system stacks the last window shown highest.
void ShowWindows(App& app);
// The taskbar's own judgement of the moment, where the system tells it.
enum class TaskbarVerdict { Unknown, FullScreen, NotFullScreen };
// What the system reports of the foreground window.
struct FrontWindow {
  bool shown = false;      // there is one, and it is visible
  ScreenRect bounds = {};  // its rectangle
  bool maximised = false;
  bool captioned = false;  // it has a title bar
  bool taskbars = false;   // the desktop, or a window of the taskbar's own process
  bool ours = false;       // this program's
};
// The window covers the whole monitor; an empty monitor is covered by none.
bool CoversMonitor(const ScreenRect& window, const ScreenRect& monitor);
// Another application fills the monitor the character stands on: as the
// taskbar judges, where it tells; else when the foreground window is shown,
// is neither this program's nor the taskbar's, covers the monitor, and is not
// a maximised window with a title bar (which leaves the taskbar showing, and
// covers the monitor only while the taskbar hides itself).
bool FullScreenInFront(TaskbarVerdict taskbar, const FrontWindow& front,
                       const ScreenRect& monitor);

// While another application's window fills the monitor the character stands
// on and has the foreground, both windows hide; they come back as they were
// when it goes. Alarms go on meanwhile, and the setting in_tray is untouched.
void StepAsideForFullScreen(App& app);

// Records the virtual screen's size when it shrank in either direction (both
// dimensions at once); a screen that grew is not recorded. True on a shrink.
bool ScreenShrank(App& app, const ScreenRect& screen);
// The shrink watch: after a shrink of the screen the main window comes back
// onto it. Every timer runs it first; a system that reports a change of
// monitors runs it then, with the monitor rule after it.
void WatchScreen(App& app);

// Monitors of different sizes leave holes in the screen's bounding box: a
// window that meets no monitor goes into the work area of the nearest one
// (by the gap between the two rectangles). One that meets a monitor, or a
// system that tells of none, stays.
ScreenPoint PlaceOnMonitors(const std::vector<Monitor>& monitors, const ScreenRect& window);
// The character's window by that rule, as it stands now.
void KeepOnAMonitor(App& app);

void StopAlarm(App& app);
// A double click on the character stops a running alarm; otherwise it does nothing.
void DoubleClicked(App& app);

// Dragging with the left button. A press starts a drag unless the position is
// locked; x and y are window pixels of the press.
void PressLeft(App& app, int32_t x, int32_t y);
// While dragging, the window follows the cursor at the grab offset, unclamped.
void MoveMouse(App& app);
// A left or middle release ends a drag and frees the mouse, drag or not.
void ReleaseLeftOrMiddle(App& app);
// Losing the activation ends a drag.
void Deactivated(App& app);
// A right release ends a drag; true when it ended none and no alarm runs,
// which is when the context menu may open.
bool ReleaseRight(App& app);
