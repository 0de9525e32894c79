#pragma once

// When an alarm rings. Times in alerm.txt are times of the wall clock, and
// each entry rings at most once a local day, at its time or, when no check
// could see that second (the computer slept, the clock jumped over it), as
// soon as one can, if it is not too late.

#include <cstdint>

#include "behaviour/behaviour_platform.h"
#include "behaviour/behaviour_state.h"
#include "settings/settings.h"

// The local wall clock at a check, as the system shows it.
struct AlarmClock {
  int32_t year;
  int32_t month;       // 1..12
  int32_t day;         // 1..31
  int32_t second;      // of the day
  int32_t utc_offset;  // seconds east of UTC, summer time included
};

// An entry rings on time in the first seconds of its time; one the file
// brings during them still rings. The first check after the start looks at
// its own second only.
inline constexpr int32_t kAlarmWindow = 3;
// A missed alarm still rings when it is at most this late.
inline constexpr int32_t kMissedAlarmLimit = 30 * 60;
// A clock set back by more than this against the tick count makes the
// day's alarms due again; a smaller step, as time synchronisation makes,
// changes nothing.
inline constexpr int32_t kClockStepLimit = 60;

// Looks at the entries whose time came since the previous check: the latest
// of them starts the alarm when the character is idle, alarms are on and it
// is at most kMissedAlarmLimit late; all of them count as done for the day.
// A change of the zone's offset (summer time) moves the wall clock without
// moving UTC or the tick count: an hour skipped rings its entries at the
// jump, an hour repeated rings none again. Allocates nothing.
void CheckAlarm(BehaviourState& state, const Settings& settings, BehaviourPlatform& platform,
                const AlarmClock& clock);

// The program's start counts as a check that rang nothing, so that an entry
// whose time comes before the first real check (the machine suspended just
// after the start) is still rung then.
void StartAlarmCheck(BehaviourState& state, const AlarmClock& clock, uint32_t tick);
