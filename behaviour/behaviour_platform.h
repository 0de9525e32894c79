#pragma once

#include <cstdint>

// The two sounds built into the program, and the user's WAVE file.
enum class AlarmSound { Laugh, Ok, File };

// The few things the behaviour needs from the system. Each window system
// answers it in its own idiom; the tests answer it with a fake clock.
struct BehaviourPlatform {
  virtual ~BehaviourPlatform() = default;

  // Starts the sound in the background, in place of what plays: a built-in
  // one, or the file at path (UTF-8) for File; once, or over and over.
  virtual void PlayAlarmSound(AlarmSound sound, const char* path, bool loop) = 0;
  virtual void StopSound() = 0;

  // The alarm-length timer on the main window: starts or replaces it.
  virtual void SetAlarmTimer(uint32_t interval_ms) = 0;
  virtual void KillAlarmTimer() = 0;

  // Milliseconds since the system started, sleep included; wraps after about
  // 49.7 days.
  virtual uint32_t TickCount() = 0;

  // When the named file was last written, in the system's own units; only
  // compared with another stamp of the same system. 0 when there is none.
  virtual uint64_t FileStamp(const char* path) = 0;
};
