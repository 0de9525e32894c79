#include "behaviour/behaviour.h"

#include <algorithm>
#include <cstring>

#include "behaviour/sound_file.h"


namespace {

// Milliseconds an Idle cycle keeps the eyes closed, when the quick second
// blink may come, and after which every nominal tick may start the next blink.
constexpr int32_t kBlinkLength = 83;
constexpr int32_t kSecondBlinkMark = 150;
constexpr int32_t kLateBlinkMark = 2000;
constexpr uint32_t kSecondBlinkBase = 64;
constexpr uint32_t kLateBlinkBase = 1440;

// A pause longer than this means the program did not run (the system slept
// or the clock jumped): the draws of that time are not made up.
constexpr int64_t kCatchUpLimit = 60000;

void StartAlarmSound(const Settings& settings, BehaviourPlatform& platform) {
  // The settings record may come from anywhere; never read past its end.
  char file[sizeof settings.sound_file];
  std::memcpy(file, settings.sound_file, sizeof file);
  file[sizeof file - 1] = '\0';
  // A file that cannot play (gone, not a file, not a WAVE file) would give
  // silence or the system's beep: the menu's default sound plays instead.
  const bool from_file = settings.sound == 2 || settings.sound == 3;
  switch (from_file && !PlayableWaveFile(file) ? 0 : settings.sound) {
    case 0: platform.PlayAlarmSound(AlarmSound::Laugh, "", true); break;
    case 1: platform.PlayAlarmSound(AlarmSound::Ok, "", true); break;
    case 2: platform.PlayAlarmSound(AlarmSound::File, file, false); break;
    case 3: platform.PlayAlarmSound(AlarmSound::File, file, true); break;
    default: break;  // no sound; the alarm still animates and ends
  }
}

void RestartCycle(BehaviourState& state) {
  state.mode_elapsed = 0;
  state.blink_mark = -1;
}

// Where a blinking cycle stands: what the draws read and change. Wider than
// the state's count, so that a saturated cycle still reaches its next draw.
struct Cycle {
  int64_t elapsed;
  int32_t blink_mark;
  uint32_t seed;
};

int64_t NominalTickAfter(int64_t elapsed) {
  return (elapsed / kNominalTick + 1) * kNominalTick;
}

// One draw on a nominal tick; base / 17 is the one-in-n chance that it blinks.
bool BlinkDrawn(uint32_t& seed, uint32_t base) {
  const uint32_t n = std::max(base / static_cast<uint32_t>(kNominalTick), 1u);
  const uint32_t r = static_cast<uint32_t>(NextRandom(seed)) >> 8;
  return r % n == 0;
}

// Makes the draws of the nominal ticks up to span ms on, and stops at the
// first that starts a blink: returns how far on it fell, or -1 when none did.
// The only draw before 2000 ms is the quick second blink's, once, at 150 ms
// or the first nominal tick after.
int64_t DrawUntilBlink(Cycle& cycle, int64_t span) {
  const int64_t from = cycle.elapsed;
  for (;;) {
    const bool second = cycle.blink_mark < kSecondBlinkMark;
    const int64_t earliest = second ? NominalTickAfter(kSecondBlinkMark - 1)
                                    : NominalTickAfter(kLateBlinkMark);
    const int64_t at = std::max(NominalTickAfter(cycle.elapsed), earliest);
    if (at - from > span) return -1;
    cycle.elapsed = at;
    if (second) cycle.blink_mark = kSecondBlinkMark;
    if (BlinkDrawn(cycle.seed, second ? kSecondBlinkBase : kLateBlinkBase)) return at - from;
  }
}

// Frame 0 with random blinks; frame 1 has frame 0's outline, so a blink
// needs no reshape. A blink drawn on a nominal tick restarts the cycle there.
void CycleStep(BehaviourState& state, uint32_t delta) {
  int64_t start = state.mode_elapsed;
  int64_t left = delta;
  if (left <= kCatchUpLimit) {
    Cycle cycle{start, state.blink_mark, state.random_seed};
    for (int64_t at; (at = DrawUntilBlink(cycle, left)) >= 0;) {
      left -= at;
      start = 0;
      cycle = {0, -1, cycle.seed};
    }
    state.blink_mark = cycle.blink_mark;
    state.random_seed = cycle.seed;
  }
  state.mode_elapsed = static_cast<int32_t>(std::min<int64_t>(start + left, INT32_MAX));
  state.pose = state.mode_elapsed < kBlinkLength ? 1 : 0;
}

bool Blinking(const BehaviourState& state, Edition edition) {
  return state.mode == Mode::Idle || (state.mode == Mode::AlarmRun && edition == Edition::Lite);
}

void AddElapsed(BehaviourState& state, uint32_t delta) {
  // Saturates, so a long pause cannot turn the count negative.
  const int64_t elapsed = static_cast<int64_t>(state.mode_elapsed) + delta;
  state.mode_elapsed = static_cast<int32_t>(std::min<int64_t>(elapsed, INT32_MAX));
}

void EndAlarmStart(BehaviourState& state, const Settings& settings, BehaviourPlatform& platform) {
  SetMode(state, Mode::AlarmRun, settings, platform);
  platform.SetAlarmTimer(AlarmTimerInterval(settings.play_time));
}

void AlarmStartStep(BehaviourState& state, const Settings& settings, Edition edition,
                    BehaviourPlatform& platform) {
  const int32_t t = state.mode_elapsed;
  if (edition == Edition::Lite) {
    state.pose = 0;
    if (t >= 2000) EndAlarmStart(state, settings, platform);
    return;
  }
  if (t >= 2000) {
    state.pose = 4;
    EndAlarmStart(state, settings, platform);
    return;
  }
  state.pose = t < 500 ? 0 : t < 1000 ? 2 : t < 1500 ? 3 : 4;
}

void AlarmRunStep(BehaviourState& state) {
  const int32_t t = state.mode_elapsed;
  if (t >= 1000) {
    RestartCycle(state);
    return;
  }
  state.pose = t < 500 ? 3 : 4;
}

}  // namespace

uint32_t AlarmTimerInterval(int32_t al_time) {
  const int32_t index = std::clamp(al_time, 0, 3);
  return static_cast<uint32_t>(play_times[index] - 2) * 1000u;
}

void SetMode(BehaviourState& state, Mode mode, const Settings& settings,
             BehaviourPlatform& platform) {
  if (mode == state.mode) return;  // a sound that plays goes on
  RestartCycle(state);
  // The new timeline counts from now, however long ago the last tick was.
  if (state.ticked) state.last_tick = platform.TickCount();
  state.mode = mode;
  if (mode == Mode::AlarmStart) {
    platform.KillAlarmTimer();
    StartAlarmSound(settings, platform);
  } else if (mode == Mode::Idle) {
    platform.StopSound();
  }
}

void BehaviourTick(BehaviourState& state, const Settings& settings, Edition edition,
                   BehaviourPlatform& platform) {
  const uint32_t now = platform.TickCount();
  if (!state.ticked) {
    // The timeline counts from the first tick, not from when the system started.
    state.ticked = true;
    state.last_tick = now;
    return;
  }
  if (now < state.last_tick) {
    // The counter wrapped: restart the current cycle, keep mode and pose.
    state.last_tick = now;
    RestartCycle(state);
    return;
  }
  const uint32_t delta = now - state.last_tick;
  if (delta == 0) return;
  state.last_tick = now;
  if (Blinking(state, edition)) {
    CycleStep(state, delta);
    return;
  }
  AddElapsed(state, delta);
  switch (state.mode) {
    case Mode::AlarmStart: AlarmStartStep(state, settings, edition, platform); break;
    case Mode::AlarmRun: AlarmRunStep(state); break;
    default: break;
  }
}

uint32_t NextPoseChange(const BehaviourState& state, Edition edition, uint32_t limit) {
  if (!state.ticked || !Blinking(state, edition)) return 0;
  const int64_t elapsed = state.mode_elapsed;
  const int32_t shown = elapsed < kBlinkLength ? 1 : 0;
  if (state.pose != shown) return 0;  // the next tick changes it at once
  if (elapsed < kBlinkLength) {
    return static_cast<uint32_t>(std::min<int64_t>(kBlinkLength - elapsed, limit));
  }
  Cycle cycle{elapsed, state.blink_mark, state.random_seed};
  const int64_t at = DrawUntilBlink(cycle, limit);
  return at < 0 ? limit : static_cast<uint32_t>(at);
}

int NextRandom(uint32_t& seed) {
  seed = seed * 214013u + 2531011u;
  return static_cast<int>((seed >> 16) & 0x7FFF);
}
