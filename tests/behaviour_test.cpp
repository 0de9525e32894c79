#include "behaviour/behaviour.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "behaviour/alarm_check.h"
#include "behaviour_fake.h"
#include "sound_fixture.h"

#if defined(__GNUC__) && !defined(__clang__)
// The replacements below pair malloc with free on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

// Counts every allocation of the test binary while armed; BehaviourTick and
// CheckAlarm run every 17 ms and must never allocate.
namespace {
bool g_count_allocations = false;
long g_allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
  if (g_count_allocations) ++g_allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// One character with a fake clock; the first tick has been seen.
struct Rig {
  explicit Rig(Edition e = Edition::Full, uint32_t seed = 1) : fake(&state, seed), edition(e) {
    settings.show_alarm = true;
    fake.tick = 5000;
    SetMode(state, Mode::Idle, settings, fake);
    BehaviourTick(state, settings, edition, fake);
    fake.calls.clear();
  }
  void Tick(uint32_t ms) {
    fake.tick += ms;
    BehaviourTick(state, settings, edition, fake);
  }
  void Enter(Mode m) { SetMode(state, m, settings, fake); }
  // A check at a second of one day, in a zone without summer time.
  void Check(int32_t now) {
    state.now_sec = now;
    CheckAlarm(state, settings, fake, {2024, 6, 3, now, 3600});
  }

  BehaviourState state;
  Settings settings;
  FakePlatform fake;
  Edition edition;
};

TEST(IdleTest, FirstTickStartsTheTimelineWhateverTheUptime) {
  BehaviourState state;
  Settings settings;
  FakePlatform fake(&state);
  fake.tick = 3000000000u;  // past 2^31 ms, about 35 days up
  SetMode(state, Mode::Idle, settings, fake);
  BehaviourTick(state, settings, Edition::Full, fake);
  EXPECT_EQ(state.mode_elapsed, 0);
  fake.tick += 16;
  BehaviourTick(state, settings, Edition::Full, fake);
  EXPECT_EQ(state.mode_elapsed, 16);
  EXPECT_EQ(state.pose, 1);  // the first blink of the cycle, not shut for weeks
}

// A seed whose next draw gives value: the generator run backwards one step.
uint32_t SeedGiving(int value) {
  uint32_t inverse = 214013u;  // Newton's iteration for the inverse mod 2^32
  for (int i = 0; i < 5; ++i) inverse *= 2u - 214013u * inverse;
  const uint32_t next = static_cast<uint32_t>(value) << 16;
  return (next - 2531011u) * inverse;
}

// How many draws took the generator from one seed to the other.
int DrawsBetween(uint32_t before, uint32_t after) {
  for (int n = 0; n < 1000; ++n, NextRandom(before)) {
    if (before == after) return n;
  }
  return -1;
}

// Whatever the real tick, the draws fall on the 17 ms grid of the cycle: one
// at 153 ms, then one on every nominal tick past 2000 ms until a blink.
TEST(IdleTest, DrawsFallOnTheNominalTicksWhateverTheRealOne) {
  for (uint32_t tick : {16u, 17u, 31u, 40u}) {
    Rig rig;
    rig.state.random_seed = SeedGiving(1 << 8);  // the quick second blink misses
    int32_t elapsed = 0;
    while (elapsed < 4000) {
      const uint32_t seed = rig.state.random_seed;
      rig.Tick(tick);
      if (rig.state.mode_elapsed != elapsed + static_cast<int32_t>(tick)) break;  // blinked
      int expected = 0;
      for (int32_t s = (elapsed / 17 + 1) * 17; s <= rig.state.mode_elapsed; s += 17) {
        expected += s == 153 || s > 2000;
      }
      elapsed = rig.state.mode_elapsed;
      ASSERT_EQ(DrawsBetween(seed, rig.state.random_seed), expected) << tick << " " << elapsed;
      EXPECT_EQ(rig.state.pose, elapsed < 83 ? 1 : 0) << elapsed;
    }
    EXPECT_GT(elapsed, 2000) << tick;
  }
}

struct DrawCase {
  uint32_t delta;  // ms since the previous tick
  bool late;       // the draw after 2000 ms rather than the one at 150 ms
  int r;           // the draw >> 8
  bool blinks;
};

TEST(IdleTest, DrawChanceIsThatOfTheNominalTickWhateverTheRealOne) {
  const DrawCase cases[] = {
      {16, false, 0, true},   {16, false, 3, true},   {16, false, 4, false},  // 64/17 = 3
      {40, false, 126, true}, {40, false, 127, false},                        // a long tick too
      {1, false, 5, false},                                                   // and a short one
      {16, true, 84, true},   {16, true, 0, true},    {16, true, 83, false},  // 1440/17 = 84
      {100, true, 0, true},   {11, true, 127, false}, {31, true, 42, false},
  };
  for (const DrawCase& c : cases) {
    Rig rig;
    // The tick ends on the draw's nominal tick: 153 or 2006 ms.
    rig.state.mode_elapsed = static_cast<int32_t>((c.late ? 2006 : 153) - c.delta);
    rig.state.blink_mark = c.late ? 150 : -1;
    const uint32_t seed = SeedGiving((c.r << 8) | 0xFF);  // the low byte never counts
    rig.state.random_seed = seed;
    rig.Tick(c.delta);
    EXPECT_EQ(DrawsBetween(seed, rig.state.random_seed), 1) << c.delta << " " << c.r;
    EXPECT_EQ(rig.state.mode_elapsed == 0, c.blinks) << c.delta << " " << c.r;
  }
}

// The length of many cycles with a seeded generator: the quick second blink
// one time in 128/43, then a chance of 2 in 128 on each nominal tick, on
// Windows' real 31 ms tick as on Wine's 17 ms one.
TEST(IdleTest, BlinkChancesAreThoseOfASteadySeventeenMillisecondTick) {
  for (uint32_t tick : {17u, 16u, 31u, 11u}) {
    Rig rig(Edition::Full, 12345);
    double cycles = 0, second_blinks = 0, late_cycles = 0, late_draws = 0;
    int64_t cycle_start = -1;
    for (int i = 0; i < 1000000; ++i) {
      const int32_t before = rig.state.mode_elapsed;
      rig.Tick(tick);
      if (rig.state.mode_elapsed == before + static_cast<int32_t>(tick)) continue;
      const int64_t start = static_cast<int64_t>(rig.fake.tick) - rig.state.mode_elapsed;
      if (cycle_start >= 0) {
        const int64_t length = start - cycle_start;
        ++cycles;
        if (length == 153) {
          ++second_blinks;
        } else {
          ASSERT_TRUE(length >= 2006 && (length - 2006) % 17 == 0) << tick << " " << length;
          ++late_cycles;
          late_draws += static_cast<double>((length - 2006) / 17 + 1);
        }
      }
      cycle_start = start;
    }
    ASSERT_GT(cycles, 2000);
    EXPECT_NEAR(second_blinks / cycles, 43 / 128.0, 0.025) << tick;
    EXPECT_NEAR(late_cycles / late_draws, 2 / 128.0, 2 / 128.0 * 0.08) << tick;
  }
}

// Poses of a whole alarm, tick by tick, for each play time.
TEST(AlarmTimelineTest, FullEditionDancesThroughItsFrames) {
  const uint32_t intervals[] = {3000, 8000, 28000, 58000};
  for (int32_t al_time = 0; al_time < 4; ++al_time) {
    Rig rig;
    rig.settings.play_time = al_time;
    rig.Enter(Mode::AlarmStart);
    int32_t previous_pose = rig.state.pose;
    uint32_t t = 0;
    for (; rig.state.mode == Mode::AlarmStart; t += 17) {
      rig.Tick(17);
      const uint32_t e = t + 17;
      const int32_t expected = e < 500 ? 0 : e < 1000 ? 2 : e < 1500 ? 3 : 4;
      ASSERT_EQ(rig.state.pose, expected) << e;
      previous_pose = rig.state.pose;
    }
    EXPECT_EQ(t, 2006u);  // the first tick at 2000 ms or more ends AlarmStart
    ASSERT_EQ(rig.fake.Count(FakeCall::SetTimer), 1);
    EXPECT_EQ(rig.fake.timer_interval, intervals[al_time]);
    // AlarmRun: 3 and 4 take turns every 500 ms; past 1000 ms the cycle
    // restarts with the pose left as it was.
    int32_t e = 0;
    for (int i = 0; i < 300; ++i) {
      rig.Tick(17);
      e += 17;
      if (e >= 1000) {
        e = 0;
        ASSERT_EQ(rig.state.mode_elapsed, 0);
        ASSERT_EQ(rig.state.pose, previous_pose);
        continue;
      }
      ASSERT_EQ(rig.state.pose, e < 500 ? 3 : 4) << i;
      previous_pose = rig.state.pose;
    }

    // Timer 102 ends it; the first idle tick blinks.
    rig.Enter(Mode::Idle);
    rig.Tick(17);
    EXPECT_EQ(rig.state.pose, 1);
  }
}

// Windows rounds the 17 ms timer up to about 31 ms, and a busy system makes a
// tick late now and then: each step of the dance still lasts 500 ms within
// one tick, and the play time is the timer's, whatever the tick.
TEST(AlarmTimelineTest, DanceStepsHoldAtWindowsTickAndWithLateTicks) {
  struct Pace {
    const char* name;
    uint32_t tick;      // the usual tick
    int late_every;     // every n-th tick comes 50 ms late; 0: never
  };
  for (const Pace pace : {Pace{"31 ms", 31, 0}, Pace{"17 ms, some 50 ms late", 17, 7}}) {
    SCOPED_TRACE(pace.name);
    Rig rig;
    rig.settings.play_time = 1;  // 10 s
    rig.Enter(Mode::AlarmStart);
    uint32_t elapsed = 0;
    uint32_t longest_tick = 0;
    int32_t pose = rig.state.pose;
    uint32_t step_began = 0;
    std::vector<std::pair<int32_t, uint32_t>> steps;  // pose and how long it showed
    for (int i = 1; elapsed < 6000; ++i) {
      const uint32_t d = pace.late_every && i % pace.late_every == 0 ? pace.tick + 50 : pace.tick;
      longest_tick = std::max(longest_tick, d);
      rig.Tick(d);
      elapsed += d;
      if (rig.state.pose != pose) {
        steps.push_back({pose, elapsed - step_began});
        pose = rig.state.pose;
        step_began = elapsed;
      }
    }
    ASSERT_GE(steps.size(), 8u);
    std::vector<int32_t> poses;
    for (const auto& step : steps) {
      poses.push_back(step.first);
      // Seen from the ticks, a step's ends each land within one tick.
      EXPECT_LT(std::abs(static_cast<int>(step.second) - 500), static_cast<int>(longest_tick))
          << "frame " << step.first;
    }
    EXPECT_EQ(std::vector<int32_t>(poses.begin(), poses.begin() + 6),
              (std::vector<int32_t>{0, 2, 3, 4, 3, 4}));
    EXPECT_EQ(rig.fake.timer_interval, 8000u);  // the play time less AlarmStart's two seconds
  }
}

TEST(AlarmTimelineTest, LiteEditionKeepsFramesZeroAndOne) {
  Rig rig(Edition::Lite);
  rig.settings.play_time = 1;
  rig.Enter(Mode::AlarmStart);
  bool blinked = false;
  for (int i = 0; i < 3000; ++i) {  // 51 s: AlarmStart, then AlarmRun with blinks
    rig.Tick(17);
    ASSERT_TRUE(rig.state.pose == 0 || rig.state.pose == 1) << i;
    blinked |= rig.state.pose == 1;
  }
  EXPECT_TRUE(blinked);
  EXPECT_EQ(rig.state.mode, Mode::AlarmRun);
  EXPECT_EQ(rig.fake.timer_interval, 8000u);
}

// A WAVE file the sound call can play, and the first bytes of its path as the fake logs them.
std::string PlayableWave() {
  const std::string path = ::testing::TempDir() + "alarm_" + std::to_string(getpid()) + ".wav";
  std::ofstream(path, std::ios::binary) << ToneWave(100, 440);
  return path;
}

std::string Logged(const std::string& path) { return path.substr(0, sizeof FakeCall{}.path - 1); }

struct SoundCase {
  int32_t sound;
  FakeCall::Kind kind;
  AlarmSound played;
  bool loop;
};

TEST(AlarmSoundTest, EachSoundSettingPlaysItsSoundAndIdleStopsIt) {
  const SoundCase cases[] = {
      {0, FakeCall::PlayBuiltIn, AlarmSound::Laugh, true},
      {1, FakeCall::PlayBuiltIn, AlarmSound::Ok, true},
      {2, FakeCall::PlayFile, AlarmSound::File, false},
      {3, FakeCall::PlayFile, AlarmSound::File, true},
      {4, FakeCall::Stop, {}, false},
      {-1, FakeCall::Stop, {}, false},
  };
  const std::string wave = PlayableWave();
  for (const SoundCase& c : cases) {
    for (bool through_run : {false, true}) {
      Rig rig;
      rig.settings.sound = c.sound;
      std::strcpy(rig.settings.sound_file, wave.c_str());
      rig.Enter(Mode::AlarmStart);
      rig.Enter(Mode::AlarmStart);  // again: nothing restarts
      if (through_run) rig.Enter(Mode::AlarmRun);
      rig.Enter(Mode::Idle);
      std::vector<FakeCall::Kind> kinds;
      for (const FakeCall& call : rig.fake.calls) kinds.push_back(call.kind);
      std::vector<FakeCall::Kind> expected = {FakeCall::KillTimer};
      if (c.kind != FakeCall::Stop) expected.push_back(c.kind);
      expected.push_back(FakeCall::Stop);
      ASSERT_EQ(kinds, expected) << c.sound;
      if (c.kind == FakeCall::Stop) continue;
      const FakeCall& play = rig.fake.calls[1];
      EXPECT_EQ(play.sound, c.played) << c.sound;
      EXPECT_EQ(play.loop, c.loop) << c.sound;
      if (c.kind == FakeCall::PlayFile) {
        EXPECT_EQ(play.path, Logged(wave));
      }
    }
  }
}

// A WAVE file that cannot play when the alarm comes gives the laugh, looped,
// as the menu's default does: never silence, never the system's beep. None
// of them holds the alarm up, a FIFO with no writer included.
TEST(AlarmSoundTest, AFileThatCannotPlayGivesTheLaugh) {
  const std::string dir = ::testing::TempDir() + "alarm_sounds_" + std::to_string(getpid()) + "/";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir + "a directory.wav");
  std::ofstream(dir + "text.wav", std::ios::binary) << "7:30\n8:00\n";
  std::ofstream(dir + "cut.wav", std::ios::binary) << ToneWave(100, 440).substr(0, 11);
  std::string avi = ToneWave(100, 440);
  avi.replace(8, 4, "AVI ");
  std::ofstream(dir + "video.avi", std::ios::binary) << avi;
  ASSERT_EQ(mkfifo((dir + "fifo.wav").c_str(), 0600), 0);
  std::filesystem::create_symlink(dir + "fifo.wav", dir + "link to a fifo.wav");
  const std::string files[] = {"",         dir + "missing.wav", dir + "a directory.wav",
                               dir + "text.wav", dir + "cut.wav", dir + "video.avi",
                               dir + "fifo.wav", dir + "link to a fifo.wav", "/dev/zero",
                               "C:\\Windows\\Media\\tada.wav"};
  alarm(10);  // a blocked open ends the test rather than hanging it
  for (const std::string& file : files) {
    for (int32_t sd : {2, 3}) {
      Rig rig;
      rig.settings.sound = sd;
      std::strcpy(rig.settings.sound_file, file.c_str());
      rig.Enter(Mode::AlarmStart);
      ASSERT_EQ(rig.fake.calls.size(), 2u) << file;
      EXPECT_EQ(rig.fake.calls[1].kind, FakeCall::PlayBuiltIn) << file;
      EXPECT_EQ(rig.fake.calls[1].sound, AlarmSound::Laugh) << file;
      EXPECT_TRUE(rig.fake.calls[1].loop) << file;
      for (int i = 0; i < 40; ++i) rig.Tick(17);
      EXPECT_EQ(rig.state.pose, 2) << file << ": the dance goes on";
    }
  }
  alarm(0);
  std::filesystem::remove_all(dir);
}

TEST(SetModeTest, RestartsTheTimelineAndLeavesTheAlarmRow) {
  Rig rig;
  rig.state.next_alarm = 700;
  rig.state.mode_elapsed = 400;
  rig.Enter(Mode::Idle);  // same mode: the timeline goes on
  EXPECT_EQ(rig.state.mode_elapsed, 400);
  EXPECT_TRUE(rig.fake.calls.empty());
  rig.Enter(Mode::AlarmStart);
  EXPECT_EQ(rig.state.mode_elapsed, 0);
  EXPECT_EQ(rig.state.blink_mark, -1);
  rig.Enter(Mode::AlarmRun);
  rig.Enter(Mode::Idle);
  EXPECT_EQ(rig.state.next_alarm, 700);
}

TEST(TickTest, WrappedCounterRestartsTheCycleAndLongPausesSaturate) {
  Rig rig;
  rig.fake.tick = 0xFFFF0000u;
  rig.Tick(0);
  rig.Enter(Mode::AlarmStart);
  for (int i = 0; i < 90; ++i) rig.Tick(17);  // 1530 ms in: frame 4
  ASSERT_EQ(rig.state.pose, 4);
  rig.fake.tick = 0x10;  // the counter wrapped
  BehaviourTick(rig.state, rig.settings, rig.edition, rig.fake);
  EXPECT_EQ(rig.state.mode, Mode::AlarmStart);
  EXPECT_EQ(rig.state.pose, 4);
  EXPECT_EQ(rig.state.mode_elapsed, 0);
  EXPECT_EQ(rig.state.blink_mark, -1);
  rig.Tick(17);
  EXPECT_EQ(rig.state.pose, 0);  // the dance starts over

  Rig idle;
  idle.state.mode_elapsed = 100;
  idle.Tick(0xF0000000u);  // a pause of weeks: its draws are not made up
  EXPECT_EQ(idle.state.mode_elapsed, INT32_MAX);
  EXPECT_EQ(idle.state.pose, 0);

  Rig stray;
  stray.state.mode = static_cast<Mode>(7);
  stray.Tick(17);
  EXPECT_EQ(stray.state.last_tick, stray.fake.tick);
  EXPECT_TRUE(stray.fake.calls.empty());
}

struct CheckCase {
  int32_t now;
  Mode mode;
  bool show_alarm;
  bool starts;
};

// An entry the file brings rings in the first three seconds of its time,
// when the character is idle and alarms are on; the first check after the
// start rings its own second only.
TEST(CheckAlarmTest, ThreeSecondWindowModeAndSwitch) {
  const CheckCase cases[] = {
      {999, Mode::Idle, true, false},       {1000, Mode::Idle, true, true},       {1002, Mode::Idle, true, true},
      {1003, Mode::Idle, true, false},      {1001, Mode::AlarmRun, true, false},  {1001, Mode::AlarmStart, true, false},
      {1001, Mode::Idle, false, false},
  };
  for (const CheckCase& c : cases) {
    Rig rig;
    rig.state.mode = c.mode;
    rig.settings.show_alarm = c.show_alarm;
    rig.Check(c.now - 1);
    rig.state.alarm_list = {1000, 5000};
    rig.fake.tick += 1000;
    rig.Check(c.now);
    EXPECT_EQ(rig.fake.Count(FakeCall::PlayBuiltIn), c.starts ? 1 : 0) << c.now;
  }
  for (const int32_t now : {1000, 1001}) {
    Rig rig;
    rig.state.alarm_list = {1000, 5000};
    rig.Check(now);
    EXPECT_EQ(rig.fake.Count(FakeCall::PlayBuiltIn), now == 1000 ? 1 : 0) << "start at " << now;
  }
}

struct PassCase {
  const char* name;
  std::vector<int32_t> list;
  int32_t previous;  // the previous check's second; an alarm it started was stopped
  int32_t now;
  uint32_t passed_ms;  // on the tick count between the two
  bool starts;
};

// Whatever the previous check saw is done for the day; what came since rings,
// the latest of it, if it is at most half an hour late.
TEST(CheckAlarmTest, WhatCameDueSinceThePreviousCheckRings) {
  const PassCase cases[] = {
      {"the next entry a second on", {1000, 1001, 5000}, 1000, 1001, 1000, true},
      {"duplicates ring once", {1000, 1000, 5000}, 1000, 1001, 1000, false},
      {"a stopped alarm stays stopped", {1000, 5000}, 1000, 1002, 2000, false},
      {"stepped back a second into its own second", {1000, 5000}, 1000, 1000, 1000, false},
      {"25:00 never rings", {1000, 90000}, 5000, 6000, 1000000, false},
      {"missed in a sleep", {1000}, 500, 2300, 1800000, true},
      {"missed for too long", {1000}, 500, 2801, 2301000, false},
      {"set forward over an entry", {1000}, 900, 1600, 17, true},
      {"set back two minutes over a stopped alarm", {1000, 5000}, 1000, 880, 1000, false},
  };
  for (const PassCase& c : cases) {
    Rig rig;
    rig.state.alarm_list = c.list;
    rig.Check(c.previous);
    rig.Enter(Mode::Idle);
    rig.fake.calls.clear();
    rig.fake.tick += c.passed_ms;
    rig.Check(c.now);
    EXPECT_EQ(rig.fake.Count(FakeCall::PlayBuiltIn), c.starts ? 1 : 0) << c.name;
  }
}

// A set-back clock makes the day's alarms due again; a clock that stepped
// back a minute or less does not.
TEST(CheckAlarmTest, OnlyAStepBackOfOverAMinuteRingsAgain) {
  for (const int32_t step : {1, 3, 60, 61, 120, 3600}) {
    Rig rig;
    rig.state.alarm_list = {10000};
    rig.Check(10000);
    ASSERT_EQ(rig.fake.Count(FakeCall::PlayBuiltIn), 1);
    rig.Enter(Mode::Idle);
    // A second on, the clock goes back by step: every second after is checked.
    const int32_t back_to = 10001 - step;
    for (int32_t now = back_to; now <= 10003; ++now) {
      rig.fake.tick += 1000;
      rig.Check(now);
    }
    EXPECT_EQ(rig.fake.Count(FakeCall::PlayBuiltIn), step > 60 ? 2 : 1) << step << " s back";
  }
}

TEST(SelectNextAlarmTest, ChoosesTheEntryTheAlarmRowShows) {
  struct Row {
    std::vector<int32_t> list;
    int32_t now;
    int index;  // -1: empty list
  };
  const Row rows[] = {
      {{}, 100, -1},
      {{100, 200, 300}, 50, 0},    // first entry not before now
      {{100, 200, 300}, 100, 0},   // equal to now: only the first entry is chosen
      {{100, 200, 300}, 200, 2},   // a later entry equal to now is passed over
      {{100, 200, 300}, 150, 1},
      {{100, 200, 300}, 301, 0},   // every entry before now: tomorrow's first
      {{100, 200, 200, 300}, 150, 1},  // duplicates: the first of them
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.now);
    BehaviourState state;
    state.alarm_list = row.list;
    EXPECT_EQ(SelectNextAlarm(state, row.now), row.index);
    EXPECT_EQ(state.next_alarm, row.index < 0 ? -1 : row.list[static_cast<size_t>(row.index)]);
  }
}

TEST(AllocationTest, TickAndCheckAllocateNothing) {
  for (Edition edition : {Edition::Full, Edition::Lite}) {
    Rig rig(edition);
    rig.settings.sound = 3;
    std::strcpy(rig.settings.sound_file, PlayableWave().c_str());
    rig.state.alarm_list = {10, 20, 30};
    g_allocations = 0;
    g_count_allocations = true;
    for (int32_t ms = 0; ms < 60000; ms += 17) {
      rig.Check(ms / 1000);
      rig.Tick(17);
      if (rig.fake.timer_running && rig.state.mode == Mode::AlarmRun && rig.state.mode_elapsed > 900) {
        rig.Enter(Mode::Idle);
      }
    }
    g_count_allocations = false;
    EXPECT_GE(rig.fake.Count(FakeCall::PlayFile), 1);
    EXPECT_EQ(g_allocations, 0);
  }
}

}  // namespace
