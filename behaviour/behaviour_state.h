#pragma once

#include <bitset>
#include <cstdint>
#include <limits>
#include <vector>

// Behaviour modes: an alarm runs in any mode but Idle.
enum class Mode { Idle, AlarmStart, AlarmRun };


// What the alarm check keeps from one check to the next (behaviour/alarm_check.h).
struct AlarmCheckState {
  bool checked = false;      // a check has run
  int64_t local = 0;         // its wall clock: local seconds since 1970-01-01
  int64_t utc = 0;           // the same moment in UTC
  uint32_t tick = 0;         // its tick count
  int64_t day = std::numeric_limits<int64_t>::min();  // the local day of done
  std::bitset<86400> done;   // seconds of that day whose entries rang or went by
};

// Run-time state of the character's behaviour and the alarm. Times of day are
// seconds since local midnight, -1 meaning none.
struct BehaviourState {
  Mode mode = Mode::Idle;
  int32_t mode_elapsed = 0;        // ms since the mode or its current cycle began
  int32_t blink_mark = -1;         // 150 once the quick second blink was drawn for
  uint32_t random_seed = 1;        // blink draws; seeded once at start-up
  int32_t pose = 0;                // character frame to show, 0..4
  uint32_t last_tick = 0;          // tick count seen by the previous tick
  int32_t next_alarm = -1;         // chosen by the last paint
  int32_t now_sec = -1;            // local time of the last paint
  bool ticked = false;             // last_tick holds a real tick count
  std::vector<int32_t> alarm_list; // ascending alarm times from the alarm file
  uint64_t alarm_file_stamp = 0;   // write time of the alarm file at the last load
  AlarmCheckState alarm_check;     // which of the day's alarms are done
};

// Sets next_alarm for the time of day now; returns the index of the entry the
// alarm row shows, -1 for an empty list.
int SelectNextAlarm(BehaviourState& state, int32_t now);
