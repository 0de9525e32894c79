#include "behaviour/alarm_check.h"

#include <algorithm>

#include "behaviour/behaviour.h"

namespace {

constexpr int64_t kDaySeconds = 24 * 3600;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t DayNumber(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

// The entries of the ascending list from first to last second of a day.
struct Entries {
  std::vector<int32_t>::const_iterator begin, end;
};

Entries Between(const std::vector<int32_t>& list, int64_t first, int64_t last) {
  first = std::max<int64_t>(first, 0);
  last = std::min<int64_t>(last, kDaySeconds - 1);
  if (first > last) return {list.end(), list.end()};
  const auto begin = std::lower_bound(list.begin(), list.end(), static_cast<int32_t>(first));
  const auto end = std::upper_bound(begin, list.end(), static_cast<int32_t>(last));
  return {begin, end};
}

// The latest moment (local seconds) in (from, now] at which an entry not yet
// done came due; -1 for none. Days before the record's are done; an entry
// keeps its time on every day, so yesterday holds the latest of any entry.
int64_t LatestDue(const BehaviourState& state, int64_t from, int64_t now) {
  const AlarmCheckState& c = state.alarm_check;
  const int64_t today = now / kDaySeconds;
  for (int64_t day = today; day >= today - 1 && day >= c.day; --day) {
    const int64_t start = day * kDaySeconds;
    if (start + kDaySeconds <= from + 1) break;
    const Entries in = Between(state.alarm_list, from + 1 - start, now - start);
    for (auto it = in.end; it != in.begin;) {
      const int32_t entry = *--it;
      if (day > c.day || !c.done[static_cast<size_t>(entry)]) return start + entry;
    }
  }
  return -1;
}

}  // namespace

void StartAlarmCheck(BehaviourState& state, const AlarmClock& clock, uint32_t tick) {
  AlarmCheckState& c = state.alarm_check;
  const int64_t today = DayNumber(clock.year, clock.month, clock.day);
  c.checked = true;
  c.local = today * kDaySeconds + clock.second - 1;  // its own second is still to look at
  c.utc = c.local - clock.utc_offset;
  c.tick = tick - 1000;
  c.day = today;
  c.done.reset();
}

void CheckAlarm(BehaviourState& state, const Settings& settings, BehaviourPlatform& platform,
                const AlarmClock& clock) {
  AlarmCheckState& c = state.alarm_check;
  const uint32_t tick = platform.TickCount();
  const int64_t today = DayNumber(clock.year, clock.month, clock.day);
  const int64_t now = today * kDaySeconds + clock.second;
  const int64_t utc = now - clock.utc_offset;

  // What passed since the previous check, and always the last seconds, for
  // an entry that the file brought only now. A wall clock that went back
  // without a step of the clock (the end of summer time, or a small step)
  // looks at the last seconds only, whose entries are done. The first check
  // looks at its own second: what came before the start is not rung.
  int64_t from = now - (c.checked ? kAlarmWindow : 1);
  int64_t passed = kDaySeconds;  // bounds how late an entry can be
  if (c.checked) {
    const int64_t utc_passed = utc - c.utc;
    const int64_t ticked = static_cast<int64_t>(tick - c.tick) / 1000;
    if (ticked - utc_passed > kClockStepLimit) {
      // The clock was set back: the day's alarms are due again.
      c.done.reset();
      c.day = today;
    } else if (c.local < from) {
      from = c.local;
      // Over a jump of summer time an entry is late by the real time since
      // the jump at most, not by the hour the wall clock skipped.
      passed = std::max<int64_t>(utc_passed, 0);
    }
  }

  const int64_t due = LatestDue(state, from, now);
  if (due >= 0 && std::min(now - due, passed) <= kMissedAlarmLimit && state.mode == Mode::Idle &&
      settings.show_alarm) {
    SetMode(state, Mode::AlarmStart, settings, platform);
  }

  // Every entry looked at is done for the day, rung or not.
  if (!c.checked || today > c.day) {
    c.done.reset();
    c.day = today;
  }
  if (today == c.day) {
    const int64_t start = today * kDaySeconds;
    const Entries in = Between(state.alarm_list, from + 1 - start, now - start);
    for (auto it = in.begin; it != in.end; ++it) c.done.set(static_cast<size_t>(*it));
  }
  c.checked = true;
  c.local = now;
  c.utc = utc;
  c.tick = tick;
}
