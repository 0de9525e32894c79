#pragma once

#include <cstdint>
#include <vector>

// Behaviour modes: an alarm runs in any mode but Idle.
enum class Mode { Idle, AlarmStart, AlarmRun };


// Run-time state of the character's behaviour and the alarm. Times of day are
// seconds since local midnight, -1 meaning none.
struct BehaviourState {
  Mode mode = Mode::Idle;
  int32_t mode_elapsed = 0;        // ms since the mode or its current cycle began
  int32_t blink_mark = -1;         // 150 once the quick second blink was drawn for
  uint32_t random_seed = 1;        // blink draws; seeded once at start-up
  int32_t pose = 0;                // character frame to show, 0..4
  uint32_t last_tick = 0;          // tick count seen by the previous tick
  uint8_t alarm_fired = 0;         // keeps one alarm from starting twice in its window
  int32_t next_alarm = -1;         // chosen by the last paint
  int32_t armed_alarm = -1;        // what the alarm check compares against
  int32_t rang_alarm = -1;         // the entry that started last, until its window ends
  int32_t now_sec = -1;            // local time of the last paint
  int32_t checked_sec = -1;        // now_sec seen by the previous alarm check
  uint32_t checked_tick = 0;       // tick count of that check
  bool ticked = false;             // last_tick holds a real tick count
  std::vector<int32_t> alarm_list; // ascending alarm times from the alarm file
  uint64_t alarm_file_stamp = 0;   // write time of the alarm file at the last load
};

// Sets next_alarm (and armed_alarm while nothing is armed) for the time of day
// now; returns the index of the entry the alarm row shows, -1 for an empty list.
int SelectNextAlarm(BehaviourState& state, int32_t now);
