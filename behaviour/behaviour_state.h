#pragma once

#include <bitset>
#include <cstdint>
#include <limits>
#include <vector>

// Behaviour modes; -1 only before the start-up reset.
enum Mode : int32_t { Idle = 0, AlarmStart = 1, AlarmRun = 2 };

// Last-write time of the alarm file as the file system reports it (UTC),
// field for field as Win32's SYSTEMTIME; only compared, never shown.
struct AlarmFileTime {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t day_of_week = 0;
  uint16_t day = 0;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;
};

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
  int32_t mode = -1;               // Idle, AlarmStart or AlarmRun
  int32_t mode_elapsed = 0;        // ms since the mode or its current cycle began
  int32_t blink_mark = 0;          // 150 once the quick second blink was drawn for
  uint32_t random_seed = 1;        // blink draws; seeded once at start-up
  int32_t pose = 0;                // character frame to show, 0..4
  uint32_t last_tick = 0;          // tick count seen by the previous tick
  int32_t next_alarm = -1;         // chosen by the last paint
  int32_t shaped_pose = 0;         // frame whose region the windows carry
  int32_t now_sec = -1;            // local time of the last paint
  bool ticked = false;             // last_tick holds a real tick count
  std::vector<int32_t> alarm_list; // ascending alarm times from the alarm file
  AlarmFileTime alarm_file_time;   // write time of the alarm file at the last load
  AlarmCheckState alarm_check;     // which of the day's alarms are done
};

// Sets next_alarm for the time of day now; returns the index of the entry the
// alarm row shows, -1 for an empty list.
int SelectNextAlarm(BehaviourState& state, int32_t now);
