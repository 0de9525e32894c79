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
  enum Kind { PlayResource, PlayFile, Stop, SetTimer, KillTimer, Reshape } kind;
  uint32_t tick;       // fake clock when asked
  int resource;        // PlayResource
  uint32_t flags;      // PlayResource, PlayFile
  uint32_t interval;   // SetTimer
  int32_t pose;        // Reshape: the pose the windows take
  char path[16];       // PlayFile, first bytes
};

// A settable clock and a log of calls; it seeds the state's blink draws as
// the program's start does.
// The log is reserved up front so that logging does not allocate. Base is the
// seam it stands in for: the behaviour's, or the shell's that extends it.
template <typename Base = BehaviourPlatform>
struct FakePlatformFor : Base {
  explicit FakePlatformFor(BehaviourState* shaped_state = nullptr, uint32_t seed = 1)
      : state(shaped_state) {
    if (state) state->random_seed = seed;
    calls.reserve(1 << 16);
  }

  BehaviourState* state;               // its shaped_pose follows each reshape, as the shell's does
  uint32_t tick = 0;
  std::vector<FakeCall> calls;
  std::map<std::string, AlarmFileTime> file_times;
  bool timer_running = false;
  uint32_t timer_interval = 0;
  uint32_t timer_set_at = 0;

  void Log(FakeCall call) {
    call.tick = tick;
    if (calls.size() < calls.capacity()) calls.push_back(call);
  }
  void PlaySoundResource(int resource_id, uint32_t flags) override {
    Log({FakeCall::PlayResource, 0, resource_id, flags, 0, 0, {}});
  }
  void PlaySoundFile(const char* path, uint32_t flags) override {
    FakeCall call{FakeCall::PlayFile, 0, 0, flags, 0, 0, {}};
    std::strncpy(call.path, path, sizeof call.path - 1);
    Log(call);
  }
  void StopSound() override { Log({FakeCall::Stop, 0, 0, 0, 0, 0, {}}); }
  void SetAlarmTimer(uint32_t interval_ms) override {
    timer_running = true;
    timer_interval = interval_ms;
    timer_set_at = tick;
    Log({FakeCall::SetTimer, 0, 0, 0, interval_ms, 0, {}});
  }
  void KillAlarmTimer() override {
    timer_running = false;
    Log({FakeCall::KillTimer, 0, 0, 0, 0, 0, {}});
  }
  void RequestReshape() override {
    const int32_t pose = state ? state->pose : -1;
    if (state) state->shaped_pose = pose;
    Log({FakeCall::Reshape, 0, 0, 0, 0, pose, {}});
  }
  uint32_t TickCount() override { return tick; }
  AlarmFileTime FileWriteTime(const char* path) override {
    auto it = file_times.find(path);
    return it == file_times.end() ? AlarmFileTime{} : it->second;
  }

  int Count(FakeCall::Kind kind) const {
    int n = 0;
    for (const FakeCall& c : calls) n += c.kind == kind;
    return n;
  }
};

using FakePlatform = FakePlatformFor<>;
