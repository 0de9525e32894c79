// An alarm as the user sees it: the dance's outlines, its end, its stop.
#include <signal.h>

#include <chrono>
#include <set>
#include <thread>

#include "tests/linux/fixture.h"

using namespace lx;

namespace {

class Alarm : public Linux {};

// The frames the character's outline shows until it stands in frame 0 again
// after a dance; a frame not in the core's masks counts as -1.
std::set<int> FramesUntilStill(const Running& r, int scale, int timeout_ms) {
  std::set<int> seen;
  bool danced = false;
  WaitUntil([&] {
    const int frame = FrameOf(Shape(r.main), scale);
    seen.insert(frame);
    danced = danced || frame >= 2;
    return danced && frame == 0;
  }, timeout_ms);
  return seen;
}

// The full edition at x2 with alarms on, a 5 s play time and one alarm
// `ahead` seconds from now in dir.
Running LaunchWithAlarmAhead(const std::string& dir, int ahead) {
  Conf conf;
  conf.alerm = 1;
  conf.al_time = 0;  // 5 s
  WriteAlarms(dir + "/" + kAlarmName, {SecondOfDayNow() + ahead});
  return Launch(kFull, dir, conf);
}

}  // namespace

// An alarm a few seconds ahead dances through the outlines of frames 2, 3
// and 4 (3 and 4 share theirs) and returns
// to frame 0; a double click stops the next one; saving the file again
// after that does not ring the alarm that passed.
TEST_F(Alarm, DancesAndStops) {
  const std::string dir = Dir();
  Running r = LaunchWithAlarmAhead(dir, 3);
  ASSERT_NE(r.main, 0u);
  std::set<int> dance;
  for (int frame : {0, 2, 3, 4}) dance.insert(FrameOf(FrameMask(frame, 2), 2));
  EXPECT_EQ(FramesUntilStill(r, 2, 20000), dance);

  // The file saved with an alarm ahead is read at the next second.
  const int second = SecondOfDayNow() + 3;
  WriteAlarms(dir + "/" + kAlarmName, {second});
  ASSERT_TRUE(WaitUntil([&] { return FrameOf(Shape(r.main), 2) >= 2; }, 10000));
  int bx = 0, by = 0;
  BodyPoint(2, bx, by);
  const Rect at = Bounds(r.main);
  MovePointer(at.x + bx, at.y + by);
  Click(1, 2);
  EXPECT_TRUE(WaitUntil([&] { return FrameOf(Shape(r.main), 2) == 0; }, 2000));

  // Saved again, the same alarm now lies behind: no dance for a while.
  WriteAlarms(dir + "/" + kAlarmName, {second});
  const bool danced = WaitUntil([&] { return FrameOf(Shape(r.main), 2) >= 2; }, 2500);
  EXPECT_FALSE(danced);
  EXPECT_EQ(CloseAndWait(r), 0);
}

// The machine asleep through an alarm's second, the program stopped as a
// suspended machine's programs are: the alarm rings when it wakes.
TEST_F(Alarm, MissedWhileAsleepRingsOnWaking) {
  Running r = LaunchWithAlarmAhead(Dir(), 4);
  ASSERT_NE(r.main, 0u);
  ASSERT_EQ(kill(r.process.pid, SIGSTOP), 0);
  std::this_thread::sleep_for(std::chrono::seconds(9));  // past the alarm's second and its window
  ASSERT_EQ(FrameOf(Shape(r.main), 2), FrameOf(FrameMask(0, 2), 2));
  ASSERT_EQ(kill(r.process.pid, SIGCONT), 0);
  EXPECT_TRUE(WaitUntil([&] { return FrameOf(Shape(r.main), 2) >= 2; }, 3000));
  EXPECT_EQ(CloseAndWait(r), 0);
}
