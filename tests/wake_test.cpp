// The frame timer woken only when the schedule says, against the same
// program woken every 17 ms: what the user sees must not differ.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "shell/shell.h"
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

// An hour with the pointer still: frame wakes every 17 ms, or as armed.
Hour RunHour(bool scheduled) {
  RigFor<DayShell> rig;
  rig.shell.tick = kUptime;
  rig.app.behaviour.random_seed = 2024;
  MainCreated(rig.app, rig.shell);
  Hour hour;
  int32_t shown = rig.app.render.painted_pose;
  for (int64_t t = kFrameInterval; t < kHour;) {
    rig.shell.tick = kUptime + static_cast<uint32_t>(t);
    OnTimer(rig.app, rig.settings, Edition::Full, rig.shell, TIMER_FRAME);
    hour.wakes.push_back(t);
    if (rig.app.render.painted_pose != shown) {
      shown = rig.app.render.painted_pose;
      hour.shown.push_back({t, shown});
    }
    t += scheduled ? rig.shell.wake_delay : kFrameInterval;
  }
  return hour;
}

TEST(WakeTest, AnHourOfWakesAsDueShowsWhatTheSteadyTickShows) {
  const Hour steady = RunHour(false);
  const Hour woken = RunHour(true);
  ASSERT_GT(steady.shown.size(), 1000u);  // about a blink in every 3.4 s
  ASSERT_EQ(woken.shown.size(), steady.shown.size());
  for (size_t i = 0; i < steady.shown.size(); ++i) {
    ASSERT_EQ(woken.shown[i].pose, steady.shown[i].pose) << i;
    ASSERT_LE(std::llabs(woken.shown[i].at - steady.shown[i].at),
              static_cast<int64_t>(kFrameInterval))
        << "change " << i << " at " << steady.shown[i].at;
  }
  // The first readings find the pointer moving; afterwards it rests.
  int rest_wakes = 0;
  for (int64_t t : woken.wakes) rest_wakes += t >= 10000;
  EXPECT_LE(rest_wakes, 8 * (kHour - 10000) / 1000);
  EXPECT_EQ(steady.wakes.size(), static_cast<size_t>(kHour / kFrameInterval));
}

}  // namespace
