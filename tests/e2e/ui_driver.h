#pragma once

// What a user does to the running programs and what they see, read from the
// driver's side under Wine: settings files written and read back, window
// pictures and outlines, popup menus driven by keys, the tray icon and the
// alarm file.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "driver.h"

namespace e2e {

// The settings file as the program left it; ok is false when it is missing
// or does not have the thirteen lines.
struct ReadBack {
  bool ok = false;
  Conf conf;
};
ReadBack ReadConf(const std::string& dir);

// Starts the edition on the given settings and waits until both its windows
// exist.
Running LaunchWith(const Edition& edition, const std::string& dir, const Conf& conf);

// The message goes through the window's queue like a menu choice.
void PostCommand(HWND window, int id);
// Handled before this returns: the program has done all the command does.
bool SendCommand(HWND window, int id, DWORD timeout_ms = 5000);
// The tray icon's callback to the shadow window, with the mouse message.
void PostTray(HWND shadow, UINT mouse_message);
// The same, handled before this returns (for clicks that open nothing modal).
bool SendTray(HWND shadow, UINT mouse_message);

// The window's pixels as the display shows them, 0x00RRGGBB, top row first.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Picture Capture(HWND window);
// Dark pixels inside a box given in scale-1 window pixels (right and bottom
// exclusive), multiplied out by the scale.
int CountDark(const Picture& picture, int scale, RECT box);
// The pixels of such a box, for before-and-after comparisons.
std::vector<uint32_t> Crop(const Picture& picture, int scale, RECT box);

// The window's outline as a grid of window pixels.
struct Outline {
  int width = 0;
  int height = 0;
  std::vector<bool> inside;
  bool operator==(const Outline& other) const {
    return width == other.width && height == other.height && inside == other.inside;
  }
  bool operator!=(const Outline& other) const { return !(*this == other); }
  int Area() const;
};
Outline ReadOutline(HWND window);
// The outline at scale s of one read at scale 1: the scaled sprites are
// whole-number enlargements, and so are their outlines.
Outline Magnify(const Outline& one, int s);
// Polls until the outline is (or is not) the given one; true when it came.
bool WaitForOutline(HWND window, const Outline& outline, bool equal, DWORD timeout_ms);

// A popup menu window ("#32768") of the process, shown; null when none came.
HWND WaitForMenu(const Process& process, DWORD timeout_ms);
bool WaitForNoMenu(const Process& process, DWORD timeout_ms);
void PressKey(HWND window, UINT vk);
// The tray icon's right click, and the menu it opened; null when none stayed.
HWND OpenTrayMenu(const Running& app);
// The character lies above its shadow, as Windows keeps an owned window
// above its owner.
bool MainAboveShadow(const Running& app);
// A #32770 window of the process with that title (UTF-16); null when none came.
HWND WaitForDialog(const Process& process, const std::wstring& title, DWORD timeout_ms);
std::wstring WindowTextW(HWND window);

// Visible icons in Wine's own tray window; 0 when it is not there.
int CountTrayIcons();
bool WaitForTrayIcons(int count, DWORD timeout_ms);

// Starts every edition in its directory at the same moment: all are created
// suspended, then let go together. The processes are ended, if still running,
// when the group goes.
struct StartedTogether {
  std::vector<Process> processes;
  ~StartedTogether();
};
void StartTogether(StartedTogether& group, const std::vector<const Edition*>& editions,
                   const std::vector<std::string>& dirs);

// Local time of day in seconds.
int SecondsOfDay();
// An alarm file with one line per given time of day (seconds), as "h:m:s".
void WriteAlarms(const std::string& dir, const std::vector<int>& times);
// Starts the edition with alarms on and one alarm `ahead` seconds from now,
// and waits until it rings (full edition: the outline leaves the idle one,
// which goes to *idle).
Running LaunchWithAlarmAhead(const Edition& edition, const std::string& dir, Conf conf, int ahead,
                             Outline* idle);


}  // namespace e2e
