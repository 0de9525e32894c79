#pragma once

#include <windows.h>

#include "behaviour/behaviour_platform.h"

// The behaviour's system calls on Win32. The shell fills the handles: the
// module at start-up, the windows once they exist. Until then the timer and
// the reshape request have no window to go to and do nothing.
struct Win32BehaviourPlatform final : BehaviourPlatform {
  HINSTANCE module = nullptr;      // holds the WAVE resources
  HWND main_window = nullptr;      // owns the alarm-length timer
  HWND shadow_window = nullptr;    // takes the same outline after the main window

  void PlaySoundResource(int resource_id, uint32_t flags) override;
  void PlaySoundFile(const char* path, uint32_t flags) override;
  void StopSound() override;
  void SetAlarmTimer(uint32_t interval_ms) override;
  void KillAlarmTimer() override;
  void RequestReshape() override;
  uint32_t TickCount() override;
  int Random() override;
  AlarmFileTime FileWriteTime(const char* path) override;
};
