#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "behaviour/behaviour_platform.h"
#include "behaviour/behaviour_state.h"

// What the behaviour asked of the system, in order.
struct FakeCall {
  enum Kind { PlayBuiltIn, PlayFile, Stop, SetTimer, KillTimer } kind;
  uint32_t tick;       // fake clock when asked
  AlarmSound sound;    // PlayBuiltIn, PlayFile
  bool loop;           // PlayBuiltIn, PlayFile
  uint32_t interval;   // SetTimer
  char path[16];       // PlayFile, first bytes
};

// A settable clock and a log of calls; it seeds the state's blink draws as
// the program's start does.
// The log is reserved up front so that logging does not allocate. Base is the
// seam it stands in for: the behaviour's, or the shell's that extends it.
template <typename Base = BehaviourPlatform>
struct FakePlatformFor : Base {
  explicit FakePlatformFor(BehaviourState* seeded = nullptr, uint32_t seed = 1) {
    if (seeded) seeded->random_seed = seed;
    calls.reserve(1 << 16);
  }

  uint32_t tick = 0;
  std::vector<FakeCall> calls;
  std::map<std::string, uint64_t> file_stamps;
  bool timer_running = false;
  uint32_t timer_interval = 0;
  uint32_t timer_set_at = 0;

  void Log(FakeCall call) {
    call.tick = tick;
    if (calls.size() < calls.capacity()) calls.push_back(call);
  }
  void PlayAlarmSound(AlarmSound sound, const char* path, bool loop) override {
    FakeCall call{sound == AlarmSound::File ? FakeCall::PlayFile : FakeCall::PlayBuiltIn, 0,
                  sound, loop, 0, {}};
    std::strncpy(call.path, path, sizeof call.path - 1);
    Log(call);
  }
  void StopSound() override { Log({FakeCall::Stop, 0, {}, false, 0, {}}); }
  void SetAlarmTimer(uint32_t interval_ms) override {
    timer_running = true;
    timer_interval = interval_ms;
    timer_set_at = tick;
    Log({FakeCall::SetTimer, 0, {}, false, interval_ms, {}});
  }
  void KillAlarmTimer() override {
    timer_running = false;
    Log({FakeCall::KillTimer, 0, {}, false, 0, {}});
  }
  uint32_t TickCount() override { return tick; }
  uint64_t FileStamp(const char* path) override {
    auto it = file_stamps.find(path);
    return it == file_stamps.end() ? 0 : it->second;
  }

  int Count(FakeCall::Kind kind) const {
    int n = 0;
    for (const FakeCall& c : calls) n += c.kind == kind;
    return n;
  }
};

using FakePlatform = FakePlatformFor<>;
