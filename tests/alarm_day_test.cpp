// Whole days of the alarm clock at the real pace, in the order of the
// program's wakes: at rest one wake early in each second, every 17 ms while an
// alarm runs; each wake watches the alarm file at a new second, checks the
// alarms, ticks and paints, which chooses the next alarm. The alarm-length
// timer ends each alarm, and the user stops alarms, opens the menu, switches
// alarms off, saves the alarm file or sets the clock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "behaviour/alarm_check.h"
#include "behaviour/alarm_list.h"
#include "behaviour/behaviour.h"
#include "behaviour_fake.h"

namespace {

constexpr int64_t kDay = 86400 * 1000LL;

// A moment of a scenario without a zone: ms since the first midnight.
constexpr int64_t At(int day, int h, int m, int s, int ms = 0) {
  return (day - 1) * kDay + ((h * 60LL + m) * 60 + s) * 1000 + ms;
}

// A moment of a scenario in a zone: ms since 1970 in UTC.
int64_t Utc(int year, int month, int day, int h, int m, int s = 0) {
  std::tm t = {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = h;
  t.tm_min = m;
  t.tm_sec = s;
  return static_cast<int64_t>(timegm(&t)) * 1000;
}

constexpr int32_t Sec(int h, int m, int s) { return (h * 60 + m) * 60 + s; }

struct Action {
  enum Kind {
    Stop, MenuOpen, AlarmsOff, Reload, Asleep, Suspended, SetClock, Saves, HalfWritten
  } kind;
  int64_t from;   // on the clock of the computer's time
  int64_t until;  // MenuOpen, AlarmsOff, Asleep, Suspended, Saves, HalfWritten: when it
                  // ends; SetClock: ms the clock moves
  int64_t every = 0;  // Saves: ms between two saves
};

struct Scenario {
  const char* name;
  std::vector<int32_t> list;
  int32_t al_time;
  std::vector<Action> actions;
  int64_t start;
  int64_t end;
  std::vector<int64_t> rings;  // the second each alarm is expected to start in
  const char* zone = nullptr;  // a TZ name; without one moments count from 2024-01-01 UTC
};

constexpr int64_t kFirstMidnight = 1704067200000;  // 2024-01-01 00:00 UTC

// Runs in the scenario's zone while it lives.
class Zone {
 public:
  explicit Zone(const char* zone) {
    if (const char* was = std::getenv("TZ")) was_ = was;
    setenv("TZ", zone ? zone : "UTC0", 1);
    tzset();
  }
  ~Zone() {
    if (was_.empty()) unsetenv("TZ");
    else setenv("TZ", was_.c_str(), 1);
    tzset();
  }
  Zone(const Zone&) = delete;
  Zone& operator=(const Zone&) = delete;

 private:
  std::string was_;
};

int64_t Epoch(const Scenario& scenario) { return scenario.zone ? 0 : kFirstMidnight; }

std::tm LocalTm(int64_t utc_ms) {
  const std::time_t seconds = static_cast<std::time_t>(utc_ms / 1000);
  std::tm t = {};
  localtime_r(&seconds, &t);
  return t;
}

// The wall clock a moment shows; in a zone with its offset, so that the two
// passes of a repeated hour differ.
std::string Clock(const Scenario& scenario, int64_t ms) {
  char text[64];
  if (!scenario.zone) {
    std::snprintf(text, sizeof text, "day %d %02d:%02d:%02d.%03d",
                  static_cast<int>(ms / kDay) + 1, static_cast<int>(ms % kDay / 3600000),
                  static_cast<int>(ms % 3600000 / 60000), static_cast<int>(ms % 60000 / 1000),
                  static_cast<int>(ms % 1000));
    return text;
  }
  const std::tm t = LocalTm(ms);
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &t);
  return text;
}

// The alarm file on disk and its write time as the fake reports it.
struct AlarmFile {
  std::string path = ::testing::TempDir() + "alarm_day_" + std::to_string(getpid()) + ".txt";
  uint32_t saves = 0;

  ~AlarmFile() { std::remove(path.c_str()); }
  void Write(const std::vector<int32_t>& list, FakePlatform& fake) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    for (int32_t t : list) std::fprintf(f, "%d:%d:%d\n", t / 3600, t / 60 % 60, t % 60);
    std::fclose(f);
    Touch(fake);
  }
  // A later write time, as every save gives.
  void Touch(FakePlatform& fake) {
    ++saves;
    fake.file_stamps[path] = static_cast<uint64_t>(saves);
  }
};

// Runs the character from start to end and gives the moments alarms started,
// on the computer's clock.
std::vector<int64_t> Simulate(const Scenario& scenario) {
  constexpr uint32_t kUptime = 3000000000u;  // the system has run for weeks
  const Zone zone(scenario.zone);
  BehaviourState state;
  Settings settings;
  settings.show_alarm = true;
  settings.play_time = scenario.al_time;
  FakePlatform fake(&state, 42);
  fake.tick = kUptime;
  AlarmFile file;
  file.Write(scenario.list, fake);
  LoadAlarmList(state, file.path.c_str(), fake);
  SetMode(state, Mode::Idle, settings, fake);

  int32_t painted_pose = -1;
  int32_t painted_sec = -1;
  int32_t watched_sec = -1;
  bool was_blocked = false;
  int64_t clock_offset = 0;  // what the user set the clock by
  int64_t ticks_stood = 0;   // ms of a suspend the tick count did not count
  std::vector<int64_t> rings;
  for (int64_t ms = scenario.start; ms < scenario.end; ms += 17) {
    bool blocked = false;
    for (const Action& a : scenario.actions) {
      const bool now_in = a.from <= ms && ms < a.until;
      const bool starts = a.from <= ms && ms < a.from + 17;
      if (a.kind == Action::MenuOpen || a.kind == Action::Asleep) blocked |= now_in;
      if (a.kind == Action::Suspended && now_in) {
        blocked = true;
        ticks_stood += 17;
      }
      if (a.kind == Action::SetClock && starts) clock_offset += a.until;
      if (a.kind == Action::AlarmsOff) {
        // The menu command: switching off also ends a running alarm.
        if (now_in && settings.show_alarm) {
          settings.show_alarm = false;
          SetMode(state, Mode::Idle, settings, fake);
        } else if (!now_in && ms >= a.until && !settings.show_alarm) {
          settings.show_alarm = true;
        }
      }
      // Saved again with the same lines.
      if (a.kind == Action::Reload && starts) file.Touch(fake);
      if (a.kind == Action::Saves && now_in && ((ms - a.from) % a.every < 17 || a.every < 17)) {
        file.Touch(fake);
      }
      // Saved in place, and caught between the truncation and the write.
      if (a.kind == Action::HalfWritten && starts) file.Write({}, fake);
      if (a.kind == Action::HalfWritten && a.until <= ms && ms < a.until + 17) {
        file.Write(scenario.list, fake);
      }
      if (a.kind == Action::Stop && starts && state.mode != Mode::Idle) {
        fake.KillAlarmTimer();
        SetMode(state, Mode::Idle, settings, fake);
      }
    }
    // The tick count goes on while the computer sleeps, as Windows' does and
    // CLOCK_BOOTTIME does; a suspended one stands still, as CLOCK_MONOTONIC.
    fake.tick = kUptime + static_cast<uint32_t>(ms - scenario.start - ticks_stood);
    // The alarm-length timer repeats until killed; only its first expiry counts.
    if (fake.timer_running && fake.tick - fake.timer_set_at >= fake.timer_interval) {
      fake.timer_set_at += fake.timer_interval;
      SetMode(state, Mode::Idle, settings, fake);
    }
    if (blocked) {
      // The frame timer stands still, or the computer sleeps.
      was_blocked = true;
      continue;
    }
    const int64_t wall = ms + clock_offset;
    const std::tm t = LocalTm(Epoch(scenario) + wall);
    const int32_t second = Sec(t.tm_hour, t.tm_min, t.tm_sec);
    // A wake as the program has them; the end of a sleep or of the menu wakes it at once.
    if (state.mode == Mode::Idle && second == painted_sec && !was_blocked) continue;
    was_blocked = false;
    if (second != watched_sec) {
      watched_sec = second;
      WatchAlarmFile(state, file.path.c_str(), fake);
    }
    const size_t calls = fake.calls.size();
    state.now_sec = second;
    CheckAlarm(state, settings, fake,
               {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, second,
                static_cast<int32_t>(t.tm_gmtoff)});
    for (size_t i = calls; i < fake.calls.size(); ++i) {
      if (fake.calls[i].kind == FakeCall::PlayBuiltIn) rings.push_back(wall);
    }
    BehaviourTick(state, settings, Edition::Full, fake);
    if (second != painted_sec || state.pose != painted_pose) {
      SelectNextAlarm(state, state.now_sec);
      painted_pose = state.pose;
      painted_sec = second;
    }
  }
  return rings;
}

std::vector<std::string> Clocks(const Scenario& scenario, const std::vector<int64_t>& moments) {
  const Zone zone(scenario.zone);
  std::vector<std::string> out;
  for (int64_t ms : moments) out.push_back(Clock(scenario, ms / 1000 * 1000));
  return out;
}

void ExpectRings(const Scenario& scenario) {
  EXPECT_EQ(Clocks(scenario, Simulate(scenario)), Clocks(scenario, scenario.rings))
      << scenario.name;
}

TEST(AlarmDayTest, EveryOtherEntryRingsOnTimeTodayAndTomorrow) {
  const Scenario scenarios[] = {
      {"two days",
       {
           Sec(0, 0, 30),                 // first entry: stopped in its first second
           Sec(6, 0, 0),                  // plays its ten seconds
           Sec(7, 0, 0),                  // stopped while the dance runs
           Sec(8, 0, 0), Sec(8, 0, 5),    // the second comes due while the first plays
           Sec(9, 0, 0),                  // missed while the menu is open: rings as it closes
           Sec(12, 0, 0), Sec(12, 0, 0),  // duplicates ring once
           Sec(15, 10, 0),                // passes while alarms are off (first day)
           Sec(23, 59, 58),               // rings into the next day
           Sec(25, 0, 0),                 // never rings
       },
       1,
       {
           {Action::Stop, At(1, 0, 0, 31), 0},
           {Action::Stop, At(2, 0, 0, 31), 0},
           {Action::Stop, At(1, 7, 0, 5), 0},
           {Action::Stop, At(2, 7, 0, 5), 0},
           {Action::MenuOpen, At(1, 8, 59, 50), At(1, 9, 0, 10)},
           {Action::AlarmsOff, At(1, 15, 0, 0), At(1, 15, 30, 0)},
       },
       At(1, 0, 0, 0), At(3, 0, 0, 0),
       {At(1, 0, 0, 30), At(1, 6, 0, 0), At(1, 7, 0, 0), At(1, 8, 0, 0), At(1, 9, 0, 10),
        At(1, 12, 0, 0),
        At(1, 23, 59, 58), At(2, 0, 0, 30), At(2, 6, 0, 0), At(2, 7, 0, 0), At(2, 8, 0, 0),
        At(2, 9, 0, 0), At(2, 12, 0, 0), At(2, 15, 10, 0), At(2, 23, 59, 58)}},
      {"stopped in the last seconds of the day",
       {Sec(0, 0, 0), Sec(23, 59, 58)},
       0,
       {{Action::Stop, At(1, 23, 59, 58, 500), 0}},
       At(1, 23, 59, 0), At(2, 0, 1, 0),
       {At(1, 23, 59, 58), At(2, 0, 0, 0)}},
      {"stopped, then the file saved again inside the window",
       {Sec(7, 0, 0), Sec(7, 0, 2)},
       0,
       {{Action::Stop, At(1, 7, 0, 0, 600), 0},
        {Action::Reload, At(1, 7, 0, 1, 0), 0},
        {Action::Stop, At(1, 7, 0, 2, 600), 0},
        {Action::Reload, At(1, 7, 0, 3, 0), 0},
        {Action::Reload, At(1, 7, 0, 4, 500), 0}},
       At(1, 6, 59, 50), At(1, 7, 0, 10),
       {At(1, 7, 0, 0), At(1, 7, 0, 2)}},
      {"the last second of the day", {Sec(23, 59, 59)}, 0, {}, At(1, 23, 59, 0), At(2, 0, 1, 0),
       {At(1, 23, 59, 59)}},
      {"an empty list, midnight included", {}, 0, {}, At(1, 23, 59, 0), At(2, 0, 1, 0), {}},
      {"no frames from late evening past midnight",
       {Sec(6, 0, 0), Sec(23, 30, 0)},
       0,
       {{Action::MenuOpen, At(1, 23, 0, 0), At(2, 1, 0, 0)}},
       At(1, 22, 0, 0), At(2, 7, 0, 0),
       {At(2, 6, 0, 0)}},
  };
  for (const Scenario& scenario : scenarios) {
    const std::vector<int64_t> rings = Simulate(scenario);
    EXPECT_EQ(Clocks(scenario, rings), Clocks(scenario, scenario.rings)) << scenario.name;
    // On time: early in the entry's own second.
    for (int64_t ms : rings) {
      EXPECT_LT(ms % 1000, 200) << scenario.name << " " << Clock(scenario, ms);
    }
  }
}

// An alarm whose window went by while the computer slept (or the clock was
// set forward) rings at once if it is at most half an hour late; only the
// latest of several does, and none rings twice. A clock set back arms the
// day afresh.
TEST(AlarmDayTest, AlarmMissedWhileAsleepRingsOnWaking) {
  const Scenario scenarios[] = {
      {"asleep across one alarm", {Sec(7, 0, 0), Sec(8, 0, 0)}, 0,
       {{Action::Asleep, At(1, 6, 50, 0), At(1, 7, 10, 0)}},
       At(1, 6, 0, 0), At(1, 8, 1, 0), {At(1, 7, 10, 0), At(1, 8, 0, 0)}},
      {"asleep ten seconds from just before an alarm", {Sec(7, 0, 0)}, 0,
       {{Action::Asleep, At(1, 6, 59, 58, 300), At(1, 7, 0, 8, 300)}},
       At(1, 6, 59, 50), At(1, 7, 0, 20), {At(1, 7, 0, 8, 300)}},
      {"asleep across several", {Sec(7, 0, 0), Sec(7, 5, 0), Sec(7, 20, 0)}, 0,
       {{Action::Asleep, At(1, 6, 50, 0), At(1, 7, 30, 0)}},
       At(1, 6, 0, 0), At(1, 8, 0, 0), {At(1, 7, 30, 0)}},
      {"asleep across midnight", {Sec(23, 55, 0), Sec(0, 10, 0), Sec(0, 30, 0)}, 0,
       {{Action::Asleep, At(1, 23, 50, 0), At(2, 0, 20, 0)}},
       At(1, 23, 0, 0), At(2, 0, 31, 0), {At(2, 0, 20, 0), At(2, 0, 30, 0)}},
      {"asleep from before midnight, the tick count counting the sleep", {Sec(0, 5, 0)}, 0,
       {{Action::Asleep, At(1, 23, 55, 0), At(2, 0, 10, 0)}},
       At(1, 23, 50, 0), At(2, 0, 20, 0), {At(2, 0, 10, 0)}},
      {"asleep from before midnight, the tick count standing still", {Sec(0, 5, 0)}, 0,
       {{Action::Suspended, At(1, 23, 55, 0), At(2, 0, 10, 0)}},
       At(1, 23, 50, 0), At(2, 0, 20, 0), {At(2, 0, 10, 0)}},
      {"asleep too long", {Sec(7, 0, 0)}, 0,
       {{Action::Asleep, At(1, 6, 50, 0), At(1, 7, 30, 1)}},
       At(1, 6, 0, 0), At(1, 8, 0, 0), {}},
      {"clock set forward across an alarm", {Sec(7, 0, 0)}, 0,
       {{Action::SetClock, At(1, 6, 59, 0), 5 * 60 * 1000}},
       At(1, 6, 58, 0), At(1, 7, 0, 0), {At(1, 7, 4, 0)}},
      {"clock stepped back 3.5 s after an alarm", {Sec(12, 0, 5)}, 0,
       {{Action::SetClock, At(1, 12, 0, 7, 700), -3500}},
       At(1, 11, 59, 50), At(1, 12, 0, 30), {At(1, 12, 0, 5)}},
      {"clock set back two minutes after an alarm", {Sec(12, 0, 5)}, 0,
       {{Action::SetClock, At(1, 12, 0, 30), -120 * 1000}},
       At(1, 11, 59, 50), At(1, 12, 2, 30), {At(1, 12, 0, 5), At(1, 12, 0, 5)}},
      {"clock set back over a rung alarm", {Sec(7, 0, 0)}, 0,
       {{Action::SetClock, At(1, 7, 10, 0), -20 * 60 * 1000}},
       At(1, 6, 59, 0), At(1, 7, 21, 0), {At(1, 7, 0, 0), At(1, 7, 0, 0)}},
  };
  for (const Scenario& scenario : scenarios) ExpectRings(scenario);
}

// The alarm file saved again and again around alarms, as an editor that saves
// on every change or a sync client does, never keeps an alarm from ringing
// once; nor does a save caught half-written in the alarm's second.
TEST(AlarmDayTest, FrequentSavesRingEveryAlarmOnce) {
  const std::vector<int32_t> list = {Sec(7, 0, 0), Sec(7, 0, 1), Sec(7, 0, 30)};
  const std::vector<int64_t> rings = {At(1, 7, 0, 0), At(1, 7, 0, 30)};
  const Scenario scenarios[] = {
      {"once a second", list, 0, {{Action::Saves, At(1, 6, 59, 50), At(1, 7, 1, 0), 1000}},
       At(1, 6, 59, 45), At(1, 7, 1, 0), rings},
      {"ten times a second", list, 0, {{Action::Saves, At(1, 6, 59, 50), At(1, 7, 1, 0), 100}},
       At(1, 6, 59, 45), At(1, 7, 1, 0), rings},
      {"a hundred times a second", list, 0,
       {{Action::Saves, At(1, 6, 59, 50), At(1, 7, 1, 0), 10}},
       At(1, 6, 59, 45), At(1, 7, 1, 0), rings},
      {"read half-written in the alarm's second", list, 0,
       {{Action::Saves, At(1, 6, 59, 50), At(1, 7, 1, 0), 1000},
        {Action::HalfWritten, At(1, 6, 59, 59, 900), At(1, 7, 0, 0, 500)}},
       At(1, 6, 59, 45), At(1, 7, 1, 0), {At(1, 7, 0, 1), At(1, 7, 0, 30)}},
  };
  for (const Scenario& scenario : scenarios) ExpectRings(scenario);
}

// Times in the file are wall-clock times. When summer time begins, the
// entries of the skipped hour ring together at the jump; when it ends, the
// entries of the repeated hour ring the first time only. Before and after,
// every entry rings on time.
TEST(AlarmDayTest, SummerTimeSwitchesRingEachEntryOnce) {
  const Scenario scenarios[] = {
      {"Berlin, autumn", {Sec(1, 30, 0), Sec(2, 30, 0), Sec(3, 30, 0)}, 0, {},
       Utc(2026, 10, 24, 23, 0), Utc(2026, 10, 25, 3, 0),
       {Utc(2026, 10, 24, 23, 30),  // 1:30 summer time
        Utc(2026, 10, 25, 0, 30),   // 2:30 summer time, and not at 2:30 winter time
        Utc(2026, 10, 25, 2, 30)},  // 3:30 winter time
       "Europe/Berlin"},
      {"Berlin, spring", {Sec(1, 30, 0), Sec(2, 10, 0), Sec(2, 30, 0), Sec(3, 30, 0)}, 0, {},
       Utc(2026, 3, 29, 0, 0), Utc(2026, 3, 29, 2, 0),
       {Utc(2026, 3, 29, 0, 30),  // 1:30 winter time
        Utc(2026, 3, 29, 1, 0),   // 2:10 and 2:30 at the jump to 3:00
        Utc(2026, 3, 29, 1, 30)},  // 3:30 summer time
       "Europe/Berlin"},
      {"New York, autumn", {Sec(0, 30, 0), Sec(1, 30, 0), Sec(2, 30, 0)}, 0, {},
       Utc(2026, 11, 1, 4, 0), Utc(2026, 11, 1, 8, 0),
       {Utc(2026, 11, 1, 4, 30),  // 0:30 summer time
        Utc(2026, 11, 1, 5, 30),  // 1:30 summer time, and not at 1:30 winter time
        Utc(2026, 11, 1, 7, 30)},  // 2:30 winter time
       "America/New_York"},
      {"New York, spring", {Sec(1, 30, 0), Sec(2, 30, 0), Sec(3, 30, 0)}, 0, {},
       Utc(2026, 3, 8, 6, 0), Utc(2026, 3, 8, 8, 0),
       {Utc(2026, 3, 8, 6, 30),  // 1:30 winter time
        Utc(2026, 3, 8, 7, 0),   // 2:30 at the jump to 3:00
        Utc(2026, 3, 8, 7, 30)},  // 3:30 summer time
       "America/New_York"},
      {"Berlin, asleep across the jump", {Sec(2, 30, 0), Sec(3, 10, 0), Sec(5, 0, 0)}, 0,
       {{Action::Asleep, Utc(2026, 3, 29, 0, 50), Utc(2026, 3, 29, 1, 20)}},
       Utc(2026, 3, 29, 0, 40), Utc(2026, 3, 29, 1, 30),
       {Utc(2026, 3, 29, 1, 20)},  // 3:10, ten minutes late, on waking at 3:20
       "Europe/Berlin"},
  };
  for (const Scenario& scenario : scenarios) ExpectRings(scenario);
}

}  // namespace
