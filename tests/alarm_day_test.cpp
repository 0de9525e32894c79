// Whole days of the alarm clock at the real pace: the frame timer every 17 ms
// runs the check and the tick, a paint at least every 100 ms records the time
// and chooses the next alarm, the alarm-length timer ends each alarm, and the
// user stops alarms, opens the menu or switches alarms off.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "behaviour/alarm_list.h"
#include "behaviour/behaviour.h"
#include "behaviour_fake.h"

namespace {

constexpr int64_t kDay = 86400 * 1000LL;

constexpr int64_t At(int day, int h, int m, int s, int ms = 0) {
  return (day - 1) * kDay + ((h * 60LL + m) * 60 + s) * 1000 + ms;
}

constexpr int32_t Sec(int h, int m, int s) { return (h * 60 + m) * 60 + s; }

struct Action {
  enum Kind { Stop, MenuOpen, AlarmsOff, Reload, Asleep, SetClock } kind;
  int64_t from;   // ms since the first midnight, on the clock of the computer's time
  int64_t until;  // MenuOpen, AlarmsOff, Asleep: when it ends; SetClock: ms the clock moves
};

struct Scenario {
  const char* name;
  std::vector<int32_t> list;
  int32_t al_time;
  std::vector<Action> actions;
  int64_t start;
  int64_t end;
  std::vector<int64_t> rings;  // the second each alarm is expected to start in
};

std::string Clock(int64_t ms) {
  char text[64];
  std::snprintf(text, sizeof text, "day %d %02d:%02d:%02d.%03d", static_cast<int>(ms / kDay) + 1,
                static_cast<int>(ms % kDay / 3600000), static_cast<int>(ms % 3600000 / 60000),
                static_cast<int>(ms % 60000 / 1000), static_cast<int>(ms % 1000));
  return text;
}

// Runs the character from start to end and gives the moments alarms started.
std::vector<int64_t> Simulate(const Scenario& scenario) {
  constexpr uint32_t kUptime = 3000000000u;  // the system has run for weeks
  BehaviourState state;
  Settings settings;
  settings.show_alarm = true;
  settings.play_time = scenario.al_time;
  FakePlatform fake(&state, 42);
  state.alarm_list = scenario.list;
  fake.tick = kUptime;
  SetMode(state, Mode::Idle, settings, fake);

  uint32_t last_paint = 0;
  int32_t painted_pose = -1;
  int64_t clock_offset = 0;  // what the user set the clock by
  std::vector<int64_t> rings;
  for (int64_t ms = scenario.start; ms < scenario.end; ms += 17) {
    // The tick count goes on while the computer sleeps, as Windows' does.
    fake.tick = kUptime + static_cast<uint32_t>(ms - scenario.start);
    bool menu_open = false;
    for (const Action& a : scenario.actions) {
      const bool now_in = a.from <= ms && ms < a.until;
      if (a.kind == Action::MenuOpen || a.kind == Action::Asleep) menu_open |= now_in;
      if (a.kind == Action::SetClock && a.from <= ms && ms < a.from + 17) clock_offset += a.until;
      if (a.kind == Action::AlarmsOff) {
        // The menu command: switching off also ends a running alarm.
        if (now_in && settings.show_alarm) {
          settings.show_alarm = false;
          SetMode(state, Mode::Idle, settings, fake);
        } else if (!now_in && ms >= a.until && !settings.show_alarm) {
          settings.show_alarm = true;
        }
      }
      if (a.kind == Action::Reload && a.from <= ms && ms < a.from + 17) {
        // The file saved again with the same lines, as the watch reloads it.
        const std::string path = ::testing::TempDir() + "alarm_day_reload.txt";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        for (int32_t t : scenario.list) std::fprintf(f, "%d:%d:%d\n", t / 3600, t / 60 % 60, t % 60);
        std::fclose(f);
        LoadAlarmList(state, path.c_str(), fake);
      }
      if (a.kind == Action::Stop && a.from <= ms && ms < a.from + 17 && state.mode != Mode::Idle) {
        fake.KillAlarmTimer();
        SetMode(state, Mode::Idle, settings, fake);
      }
    }
    // The alarm-length timer repeats until killed; only its first expiry counts.
    if (fake.timer_running && fake.tick - fake.timer_set_at >= fake.timer_interval) {
      fake.timer_set_at += fake.timer_interval;
      SetMode(state, Mode::Idle, settings, fake);
    }
    if (menu_open) continue;  // the frame timer stands still, or the computer sleeps
    const size_t calls = fake.calls.size();
    const int64_t wall = ms + clock_offset;
    // Each wake checks its own second, as the program does.
    state.now_sec = static_cast<int32_t>((wall % kDay + kDay) % kDay / 1000);
    CheckAlarm(state, settings, fake);
    for (size_t i = calls; i < fake.calls.size(); ++i) {
      if (fake.calls[i].kind == FakeCall::PlayBuiltIn) rings.push_back(wall);
    }
    BehaviourTick(state, settings, Edition::Full, fake);
    if (fake.tick - last_paint > 100 || state.pose != painted_pose) {
      SelectNextAlarm(state, state.now_sec);
      painted_pose = state.pose;
      last_paint = fake.tick;
    }
  }
  return rings;
}

std::vector<std::string> Clocks(const std::vector<int64_t>& moments) {
  std::vector<std::string> out;
  for (int64_t ms : moments) out.push_back(Clock(ms / 1000 * 1000));
  return out;
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
    EXPECT_EQ(Clocks(rings), Clocks(scenario.rings)) << scenario.name;
    // On time: early in the entry's own second.
    for (int64_t ms : rings) EXPECT_LT(ms % 1000, 200) << scenario.name << " " << Clock(ms);
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
      {"asleep too long", {Sec(7, 0, 0)}, 0,
       {{Action::Asleep, At(1, 6, 50, 0), At(1, 7, 30, 1)}},
       At(1, 6, 0, 0), At(1, 8, 0, 0), {}},
      {"clock set forward across an alarm", {Sec(7, 0, 0)}, 0,
       {{Action::SetClock, At(1, 6, 59, 0), 5 * 60 * 1000}},
       At(1, 6, 58, 0), At(1, 7, 0, 0), {At(1, 7, 4, 0)}},
      {"clock set back over a rung alarm", {Sec(7, 0, 0)}, 0,
       {{Action::SetClock, At(1, 7, 10, 0), -20 * 60 * 1000}},
       At(1, 6, 59, 0), At(1, 7, 21, 0), {At(1, 7, 0, 0), At(1, 7, 0, 0)}},
  };
  for (const Scenario& scenario : scenarios) {
    EXPECT_EQ(Clocks(Simulate(scenario)), Clocks(scenario.rings)) << scenario.name;
  }
}

}  // namespace
