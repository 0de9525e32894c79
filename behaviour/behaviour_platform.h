#pragma once

#include <cstdint>

#include "behaviour/behaviour_state.h"

// PlaySoundA flags, spelled out so that the core needs no Windows header.
inline constexpr uint32_t kSoundAsync = 0x0001;
inline constexpr uint32_t kSoundLoop = 0x0008;
inline constexpr uint32_t kSoundResource = 0x00040004;
inline constexpr uint32_t kSoundLoopedResource = kSoundResource | kSoundLoop | kSoundAsync;
inline constexpr uint32_t kSoundFileOnce = kSoundAsync;
inline constexpr uint32_t kSoundFileLooped = kSoundAsync | kSoundLoop;

// The few things the behaviour needs from the system. The shell fills it with
// Win32 calls; the tests fill it with a fake clock.
struct BehaviourPlatform {
  virtual ~BehaviourPlatform() = default;

  // A WAVE resource of the program's own module; replaces what plays.
  virtual void PlaySoundResource(int resource_id, uint32_t flags) = 0;
  // A sound name or file path, passed on as the user chose it.
  virtual void PlaySoundFile(const char* path, uint32_t flags) = 0;
  virtual void StopSound() = 0;

  // The alarm-length timer on the main window: starts or replaces it.
  virtual void SetAlarmTimer(uint32_t interval_ms) = 0;
  virtual void KillAlarmTimer() = 0;

  // Sent synchronously to the main window and then to the shadow window;
  // both carry the outline of the current pose when it returns.
  virtual void RequestReshape() = 0;

  // Milliseconds since the system started; wraps after about 49.7 days.
  virtual uint32_t TickCount() = 0;

  // Last-write time of the named file, all zero when it does not exist.
  virtual AlarmFileTime FileWriteTime(const char* path) = 0;
};
