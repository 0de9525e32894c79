// What the running mascot paints, compared pixel for pixel with the rendering
// core's picture of the same moment.
#include <algorithm>

#include "edition_test.h"
#include "shell/windows.h"

using namespace e2e;

namespace {

class PictureTest : public EditionTest {};

TEST_P(PictureTest, ScreenshotIsThePictureOfThatMoment) {
  Artwork art(edition());
  ASSERT_TRUE(art.ok());
  const int today = SecondOfDay(LocalNow());
  // One alarm already past, two to come: the row shows the nearer one. None
  // comes due while the test runs.
  const std::vector<int32_t> alarms = {(today + 86400 - 3 * 3600) % 86400,
                                       (today + 2 * 3600 + 754) % 86400,
                                       (today + 5 * 3600 + 2222) % 86400};
  struct Case {
    int scale;
    int hour24;
  };
  for (const Case c : {Case{1, 0}, Case{3, 1}}) {
    SCOPED_TRACE("x" + std::to_string(c.scale) + (c.hour24 ? " 24-hour" : " 12-hour"));
    const std::string dir = TestDir("x" + std::to_string(c.scale));
    Conf conf;
    conf.viewscale = c.scale;
    conf.hour24 = c.hour24;
    conf.alerm = 1;
    conf.calendar = 1;
    conf.x = 300;
    conf.y = 200;
    WriteAlarms(JoinPath(dir, kAlarmName), alarms);
    Running app = Launch(edition(), dir, conf);
    ASSERT_TRUE(app.main);
    const POINT pointer = {900, 40};  // right of and above the eyes
    PutCursor(pointer);

    Moment moment;
    moment.settings = SettingsOf(conf);
    moment.alarms = alarms;
    std::sort(moment.alarms.begin(), moment.alarms.end());
    moment.pointer = pointer;
    const Outline inside = art.Mask(0, c.scale);
    std::string differences;
    bool same = false;
    // A blink shows frame 1 now and then; its picture counts as well.
    for (int attempt = 0; attempt < 5 && !same; ++attempt) {
      const SYSTEMTIME before = WaitForMidSecond();
      const RECT rect = ReadWindow(app.main).rect;
      const Surface shot = Capture(rect);
      if (LocalNow().wSecond != before.wSecond) continue;
      moment.time = ToLocalTime(before);
      moment.origin = {rect.left, rect.top};
      differences.clear();
      for (int pose : {0, 1}) {
        moment.pose = pose;
        const Surface expected = art.Picture(moment);
        const std::string difference = PictureDifference(shot, expected, inside, c.scale);
        if (difference.empty()) {
          same = true;
          break;
        }
        differences += "frame " + std::to_string(pose) + ": " + difference + "; ";
        SaveBitmap(JoinPath(dir, "expected" + std::to_string(pose) + ".bmp"), expected);
      }
      if (!same) {
        SaveBitmap(JoinPath(dir, "screen.bmp"), shot);
        Sleep(400);  // the next try in the next second, after the next paints
      }
    }
    EXPECT_TRUE(same) << differences << "pictures in " << dir;
    EXPECT_EQ(CloseAndWait(app), 0);
  }
}

E2E_FOR_BOTH_EDITIONS(PictureTest);

class PupilsTest : public EditionTest {};

TEST_P(PupilsTest, PupilsLookTowardsThePointer) {
  Artwork art(edition());
  ASSERT_TRUE(art.ok());
  const int s = 3;
  Conf conf;
  conf.viewscale = s;
  conf.x = 200;
  conf.y = 200;
  Running app = Launch(edition(), TestDir(), conf);
  ASSERT_TRUE(app.main);
  const RECT rect = ReadWindow(app.main).rect;

  // Far away, then on either side of the line between the two places of a
  // pupil: right of window column 63s looks right, below row 32s looks down.
  const int cx = rect.left + 63 * s;
  const int cy = rect.top + 32 * s;
  struct Case {
    const char* name;
    POINT pointer;
  };
  const Case cases[] = {
      {"far left and above", {0, 0}},           {"far right and below", {1279, 1023}},
      {"on both lines", {cx, cy}},              {"just past both lines", {cx + 1, cy + 1}},
      {"right, on the row line", {cx + 1, cy}}, {"below, on the column line", {cx, cy + 1}},
  };
  Moment moment;
  moment.settings = SettingsOf(conf);
  moment.origin = {rect.left, rect.top};
  const Outline inside = art.Mask(0, s);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PutCursor(c.pointer);
    moment.pointer = c.pointer;
    const Surface expected = art.Picture(moment);
    std::string difference;
    // Only the lenses count, so the clock need not match; a blink just waits.
    const bool seen = WaitUntil([&] {
      difference = PictureDifference(Capture(rect), expected, inside, s, kLenses);
      return difference.empty();
    }, 1500);
    EXPECT_TRUE(seen) << difference;
  }
  EXPECT_EQ(CloseAndWait(app), 0);
}

E2E_FOR_BOTH_EDITIONS(PupilsTest);

// Waits until the clock stands 50 to 70 ms past a quarter of a second: a
// pointer at rest read on the beat was read just then, and is read next some
// 200 ms later.
void WaitPastABeat() {
  WaitUntil([] {
    const uint32_t past = LocalNow().wMilliseconds % kPointerRestRead;
    return past >= 50 && past < 70;
  }, 1000);
}

// Told of the first move by raw input (KURIMARO_POINTER=raw takes it under
// Wine, which tells only of moves over its own windows), a pointer that
// moves after a rest reaches the pupils at once, not at the next glance.
TEST(RawPointerTest, AMoveAfterARestReachesThePupilsAtOnce) {
  ScopedEnvironment raw("KURIMARO_POINTER", "raw");
  Artwork art(kFull);
  ASSERT_TRUE(art.ok());
  const int s = 3;
  Conf conf;
  conf.viewscale = s;
  conf.x = 200;
  conf.y = 200;
  Running app = Launch(kFull, TestDir(), conf);
  ASSERT_TRUE(app.main);
  const RECT rect = ReadWindow(app.main).rect;
  const Outline inside = art.Mask(0, s);
  // Over his own window, up and left of the eyes in the bubble, then down
  // and right of them on his coat.
  const POINT in_bubble = {12 * s, 12 * s};
  const POINT on_coat = {70 * s, 70 * s};
  ASSERT_TRUE(inside.Contains(in_bubble.x, in_bubble.y));
  ASSERT_TRUE(inside.Contains(on_coat.x, on_coat.y));
  Moment moment;
  moment.settings = SettingsOf(conf);
  moment.origin = {rect.left, rect.top};
  moment.pose = 1;
  const Surface blink = art.Picture(moment);  // the lenses shut, wherever the pointer
  moment.pose = 0;
  // A blink in the way hides the pupils for a moment: that move is made again.
  int move = 0;
  for (int tries = 0; move < 4 && tries < 8; ++tries) {
    const POINT at = move % 2 ? on_coat : in_bubble;
    moment.pointer = {rect.left + at.x, rect.top + at.y};
    const Surface expected = art.Picture(moment);
    if (move > 0) {
      Sleep(kPointerActive + 500);  // at rest: only a report wakes him
      WaitPastABeat();
    }
    const DWORD start = GetTickCount();
    PutCursor(moment.pointer);
    std::string difference;
    bool blinked = false;
    const bool seen = WaitUntil([&] {
      const Surface shot = Capture(rect);
      blinked = blinked || PictureDifference(shot, blink, inside, s, kLenses).empty();
      difference = PictureDifference(shot, expected, inside, s, kLenses);
      return difference.empty();
    }, 1500);
    const DWORD took = GetTickCount() - start;
    ASSERT_TRUE(seen) << difference;
    // Well before the beat's next glance.
    if (move > 0 && took > 150 && blinked) continue;
    if (move > 0) EXPECT_LE(took, 150u) << "move " << move;
    ++move;
  }
  EXPECT_EQ(move, 4) << "blinks kept getting in the way";
  EXPECT_EQ(CloseAndWait(app), 0);
}

}  // namespace
