#pragma once

#include <cstdint>
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

// Run-time state of the character's behaviour and the alarm. Times of day are
// seconds since local midnight, -1 meaning none.
struct BehaviourState {
  int32_t mode = -1;               // Idle, AlarmStart or AlarmRun
  int32_t mode_elapsed = 0;        // ms since the mode or its current cycle began
  int32_t blink_mark = 0;          // 150 once the quick second blink was drawn for
  uint32_t random_seed = 1;        // blink draws; seeded once at start-up
  int32_t pose = 0;                // character frame to show, 0..4
  uint32_t last_tick = 0;          // tick count seen by the previous tick
  uint8_t alarm_fired = 0;         // keeps one alarm from starting twice in its window
  int32_t next_alarm = -1;         // chosen by the last paint
  int32_t armed_alarm = -1;        // what the alarm check compares against
  int32_t rang_alarm = -1;         // the entry that started last, until its window ends
  int32_t shaped_pose = 0;         // frame whose region the windows carry
  int32_t now_sec = -1;            // local time of the last paint
  int32_t checked_sec = -1;        // now_sec seen by the previous alarm check
  uint32_t checked_tick = 0;       // tick count of that check
  bool ticked = false;             // last_tick holds a real tick count
  std::vector<int32_t> alarm_list; // ascending alarm times from the alarm file
  AlarmFileTime alarm_file_time;   // write time of the alarm file at the last load
};

// Sets next_alarm (and armed_alarm while nothing is armed) for the time of day
// now; returns the index of the entry the alarm row shows, -1 for an empty list.
int SelectNextAlarm(BehaviourState& state, int32_t now);
