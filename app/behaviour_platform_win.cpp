#include "app/behaviour_platform_win.h"

#include <mmsystem.h>

#include <cstdlib>

namespace {

constexpr UINT_PTR kTimerAlarmLength = 102;
constexpr UINT kReshapeMessage = WM_APP + 101;

}  // namespace

void Win32BehaviourPlatform::PlaySoundResource(int resource_id, uint32_t flags) {
  PlaySoundA(MAKEINTRESOURCEA(resource_id), module, flags);
}

// Without SND_FILENAME the text is tried as a sound-event name first, then as
// a file; a missing file gives the system's default sound.
void Win32BehaviourPlatform::PlaySoundFile(const char* path, uint32_t flags) {
  PlaySoundA(path, module, flags);
}

void Win32BehaviourPlatform::StopSound() { PlaySoundA(nullptr, module, 0); }

void Win32BehaviourPlatform::SetAlarmTimer(uint32_t interval_ms) {
  if (main_window) SetTimer(main_window, kTimerAlarmLength, interval_ms, nullptr);
}

void Win32BehaviourPlatform::KillAlarmTimer() {
  if (main_window) KillTimer(main_window, kTimerAlarmLength);
}

// Synchronous, so both handlers have applied the region when this returns.
void Win32BehaviourPlatform::RequestReshape() {
  if (main_window) SendMessageA(main_window, kReshapeMessage, 0, 0);
  if (shadow_window) SendMessageA(shadow_window, kReshapeMessage, 0, 0);
}

uint32_t Win32BehaviourPlatform::TickCount() { return GetTickCount(); }

// Seeded once at start-up from the tick count.
int Win32BehaviourPlatform::Random() { return std::rand() & 0x7FFF; }

AlarmFileTime Win32BehaviourPlatform::FileWriteTime(const char* path) {
  AlarmFileTime result;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return result;
  FindClose(search);
  // The file system's own time (UTC); it is only compared, never shown.
  SYSTEMTIME t;
  if (!FileTimeToSystemTime(&found.ftLastWriteTime, &t)) return result;
  result.year = t.wYear;
  result.month = t.wMonth;
  result.day_of_week = t.wDayOfWeek;
  result.day = t.wDay;
  result.hour = t.wHour;
  result.minute = t.wMinute;
  result.second = t.wSecond;
  result.milliseconds = t.wMilliseconds;
  return result;
}
