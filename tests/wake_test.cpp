// The frame timer woken only when the schedule says, against the same
// program woken every 17 ms: what the user sees must not differ.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "shell/events.h"
#include "shell/tray.h"
#include "shell/windows.h"
#include "shell_fake.h"

namespace {

constexpr uint32_t kUptime = 4000000000u;  // the tick count wraps within the hour
constexpr int64_t kHour = 3600 * 1000;

// A window system whose clock of day moves with its tick count.
struct DayShell : FakeShell {
  using FakeShell::FakeShell;
  int64_t day_ms = (12 * 3600 - 1) * 1000 + 437;  // local time at kUptime: 11:59:59.437

  LocalTime LocalNow() override {
    const int64_t ms = (day_ms + static_cast<uint32_t>(tick - kUptime)) % (86400 * 1000);
    return {2024, 6, 15, 6, static_cast<int32_t>(ms / 3600000),
            static_cast<int32_t>(ms / 60000 % 60), static_cast<int32_t>(ms / 1000 % 60),
            static_cast<int32_t>(ms % 1000)};
  }
};

struct Change {
  int64_t at;  // ms from the start
  int32_t pose;
};

struct Hour {
  std::vector<Change> shown;  // every change of the painted pose
  std::vector<int64_t> wakes;
};

// An hour with the pointer still: frame wakes every 17 ms, or as armed, on
// a system that tells of pointer moves or one where it is read on a beat.
Hour RunHour(bool scheduled, bool told = false) {
  RigFor<DayShell> rig;
  rig.shell.can_tell = told;
  rig.shell.tick = kUptime;
  rig.app.behaviour.random_seed = 2024;
  Hour hour;
  int32_t shown = rig.app.render.painted_pose;
  for (int64_t t = kFrameInterval; t < kHour;) {
    rig.shell.tick = kUptime + static_cast<uint32_t>(t);
    TimerFired(rig.app, TIMER_FRAME);
    hour.wakes.push_back(t);
    if (rig.app.render.painted_pose != shown) {
      shown = rig.app.render.painted_pose;
      hour.shown.push_back({t, shown});
    }
    t += scheduled ? rig.shell.wake_delay : kFrameInterval;
  }
  return hour;
}

void ExpectSameChanges(const Hour& steady, const Hour& woken) {
  ASSERT_EQ(woken.shown.size(), steady.shown.size());
  for (size_t i = 0; i < steady.shown.size(); ++i) {
    ASSERT_EQ(woken.shown[i].pose, steady.shown[i].pose) << i;
    ASSERT_LE(std::llabs(woken.shown[i].at - steady.shown[i].at),
              static_cast<int64_t>(kFrameInterval))
        << "change " << i << " at " << steady.shown[i].at;
  }
}

// Wakes a second once the first readings, which find the pointer moving, are over.
double RestWakesASecond(const Hour& hour) {
  int rest_wakes = 0;
  for (int64_t t : hour.wakes) rest_wakes += t >= 10000;
  return rest_wakes * 1000.0 / (kHour - 10000);
}

TEST(WakeTest, AnHourOfWakesAsDueShowsWhatTheSteadyTickShows) {
  const Hour steady = RunHour(false);
  ASSERT_GT(steady.shown.size(), 1000u);  // about a blink in every 3.4 s
  EXPECT_EQ(steady.wakes.size(), static_cast<size_t>(kHour / kFrameInterval));
  const Hour beat = RunHour(true);
  ExpectSameChanges(steady, beat);
  EXPECT_LE(RestWakesASecond(beat), 8);
  // Told of moves, no beat: the second's wake and the blinks.
  const Hour told = RunHour(true, true);
  ExpectSameChanges(steady, told);
  EXPECT_LE(RestWakesASecond(told), 2);
}

// Told of the first move at rest, the program reads the pointer then and at
// every frame while it moves, and is not told meanwhile: a fast mouse would
// tell hundreds of times a second. Still again, it is told once more.
TEST(WakeTest, AMoveToldOfIsReadAtOnceAndFollowedAtTheFramePace) {
  RigFor<DayShell> rig;
  FakeShell& shell = rig.shell;
  shell.can_tell = true;
  shell.tick = kUptime;
  auto wake = [&] {
    shell.tick += shell.wake_delay;
    TimerFired(rig.app, TIMER_FRAME);
  };
  for (int i = 0; i < 400; ++i) wake();  // long enough for the first readings to rest
  ASSERT_TRUE(shell.telling);
  EXPECT_GE(shell.wake_delay, 100u);
  int reads = shell.cursor_reads;
  for (int i = 0; i < 20; ++i) wake();
  EXPECT_EQ(shell.cursor_reads, reads) << "no glance at a pointer at rest";
  const int switches = shell.tell_switches;

  shell.cursor = {900, 40};
  shell.tick += 3;
  PointerMoved(rig.app);
  EXPECT_EQ(shell.cursor_reads, reads + 1);
  EXPECT_EQ(rig.app.pointer.x, 900);
  EXPECT_FALSE(shell.telling) << "no more telling while it is read at every frame";
  EXPECT_EQ(shell.wake_delay, kFrameInterval);
  // Moving for a second: read at every frame, the system still silent.
  for (int i = 0; i < 60; ++i) {
    shell.cursor.x -= 7;
    reads = shell.cursor_reads;
    wake();
    ASSERT_EQ(shell.cursor_reads, reads + 1) << i;
    ASSERT_EQ(rig.app.pointer.x, shell.cursor.x) << i;
    ASSERT_EQ(shell.wake_delay, kFrameInterval) << i;
  }
  EXPECT_FALSE(shell.telling);
  // Still: the frame pace until kPointerActive has passed, then told again.
  const uint32_t still = shell.tick;
  while (!shell.telling && shell.tick - still < 2 * kPointerActive) wake();
  EXPECT_TRUE(shell.telling);
  EXPECT_GE(shell.tick - still, kPointerActive);
  EXPECT_LE(shell.tick - still, kPointerActive + 2 * kFrameInterval);
  EXPECT_EQ(shell.tell_switches, switches + 2) << "stopped once and started once";
  wake();  // the one more reading for a move made as the telling began
  reads = shell.cursor_reads;
  int wakes = 0;
  for (const uint32_t from = shell.tick; shell.tick - from < 3000; ++wakes) wake();
  EXPECT_EQ(shell.cursor_reads, reads);
  EXPECT_LE(wakes, 9) << "the second's wakes and the blinks', no more";
}

}  // namespace
