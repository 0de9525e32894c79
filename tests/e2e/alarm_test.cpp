// Alarms of the running programs: the thumbs-up animation seen in the window
// outline and on screen, the double click that stops it, and the alarm row that
// follows alerm.txt while the program runs.
#include <cstdio>
#include <functional>
#include <sstream>

#include "edition_test.h"

using namespace e2e;

namespace {

constexpr int kUnknown = -1;
constexpr POINT kPointer = kParkedCursor;  // well away from the character

// Which frame the character shows: by the window's outline, where frame 1
// shares frame 0's and frame 4 frame 3's, and by the picture right of the
// bubble, which tells all five apart and does not depend on the clock.
class Frames {
 public:
  Frames(Artwork& art, const Conf& conf, POINT origin) : scale_(conf.viewscale) {
    Moment moment;
    moment.settings = SettingsOf(conf);
    moment.pointer = kPointer;
    moment.origin = origin;
    for (int frame = 0; frame < kFrameCount; ++frame) {
      masks_.push_back(art.Mask(frame, scale_));
      moment.pose = frame;
      pictures_.push_back(art.Picture(moment));
    }
  }
  // 0, 2 or 3 (for 3 and 4), kUnknown for none of them.
  int Outline(HWND window) const {
    const e2e::Outline region = ReadOutline(window);
    for (int frame : {0, 2, 3}) {
      if (region == masks_[frame]) return frame;
    }
    return kUnknown;
  }
  // 0..4, kUnknown for none (a screenshot between outline and picture).
  int Picture(HWND window) const {
    const Surface shot = Capture(window);
    const RECT character = {kBubbleWidth, kFrameTop, kPictureWidth, kFrameTop + kFrameHeight};
    for (int frame = 0; frame < kFrameCount; ++frame) {
      if (PictureDifference(shot, pictures_[frame], masks_[frame], scale_, character).empty()) {
        return frame;
      }
    }
    return kUnknown;
  }

 private:
  int scale_;
  std::vector<e2e::Outline> masks_;
  std::vector<Surface> pictures_;
};

// One frame held from a moment on, in ms of the tick count.
struct Span {
  int frame;
  DWORD from;
};

void Add(std::vector<Span>& runs, int frame, DWORD tick) {
  if (runs.empty() || runs.back().frame != frame) runs.push_back({frame, tick});
}

std::string Describe(const std::vector<Span>& runs) {
  std::ostringstream text;
  for (const Span& run : runs) {
    text << run.frame << "@" << static_cast<long>(run.from - runs.front().from) << " ";
  }
  return text.str();
}

// An alarm due at the start of the second three seconds from now; the tick
// count at which that second begins.
struct Due {
  int32_t second;
  DWORD tick;
};

Due AlarmSoon() {
  const SYSTEMTIME now = WaitForMidSecond();
  const DWORD tick = GetTickCount();
  return {(SecondOfDay(now) + 3) % 86400, tick - now.wMilliseconds + 3000};
}

Conf AlarmConf() {
  Conf conf;
  conf.alerm = 1;
  conf.al_time = 0;  // 5 seconds
  conf.sd = 1;
  return conf;
}

class AlarmTest : public EditionTest {};

std::vector<int> FramesOf(const std::vector<Span>& runs) {
  std::vector<int> frames;
  for (const Span& run : runs) frames.push_back(run.frame);
  return frames;
}

TEST_P(AlarmTest, AlarmPlaysTheThumbsUpForItsPlayTime) {
  Artwork art(edition());
  ASSERT_TRUE(art.ok());
  const Conf conf = AlarmConf();
  const std::string dir = TestDir();
  const Due due = AlarmSoon();
  WriteAlarms(JoinPath(dir, kAlarmName), {due.second});
  Running app = Launch(edition(), dir, conf);
  ASSERT_TRUE(app.main && app.shadow);
  const Frames frames(art, conf, {conf.x, conf.y});

  // Outlines of both windows and the pictures, from before the alarm until
  // after its five seconds. A blink counts as frame 0.
  std::vector<Span> outlines, shadow_outlines, pictures;
  const DWORD end = due.tick + (edition().layered ? 7000 : 6000);
  bool tag_hidden_checked = false;
  std::string tag_hidden;
  while (static_cast<LONG>(GetTickCount() - end) < 0) {
    const DWORD tick = GetTickCount();
    Add(outlines, frames.Outline(app.main), tick);
    Add(shadow_outlines, frames.Outline(app.shadow), tick);
    const int picture = frames.Picture(app.main);
    if (picture != kUnknown) Add(pictures, picture == 1 ? 0 : picture, tick);
    // Back at frame 0: a little longer, for the shadow and the picture to follow.
    const bool back = edition().layered && outlines.size() >= 3 && outlines.back().frame == 0;
    if (back && tick - outlines.back().from > 300) break;
    // Lite: neither outline nor picture tells, the ALM tag does: while an
    // alarm runs it is hidden on even seconds.
    if (!edition().layered && !tag_hidden_checked &&
        static_cast<LONG>(tick - due.tick) > 1500) {
      tag_hidden = AlarmRowAt(art, app.main, conf, {due.second}, Mode::AlarmRun, true);
      tag_hidden_checked = true;
    }
    Sleep(10);
  }
  SCOPED_TRACE("outlines " + Describe(outlines) + "/ pictures " + Describe(pictures));

  if (edition().layered) {
    // Frame 0 until the alarm and half a second into it, then 2, 3 and 4 for
    // half a second each, then 3 and 4 in turn, back to 0 at five seconds.
    EXPECT_EQ(FramesOf(outlines), (std::vector<int>{0, 2, 3, 0}));
    EXPECT_EQ(FramesOf(shadow_outlines), FramesOf(outlines)) << "shadow outlines "
                                                            << Describe(shadow_outlines);
    const std::vector<int> shown = FramesOf(pictures);
    ASSERT_GE(shown.size(), 10u);
    EXPECT_EQ(std::vector<int>(shown.begin(), shown.begin() + 4), (std::vector<int>{0, 2, 3, 4}));
    for (size_t i = 4; i + 1 < shown.size(); ++i) EXPECT_EQ(shown[i], i % 2 ? 4 : 3) << i;
    EXPECT_EQ(shown.back(), 0);
    if (outlines.size() == 4) {
      const long two = static_cast<long>(outlines[2].from - outlines[1].from);
      EXPECT_NEAR(two, 500, 150) << "ms of frame 2";
      const long play = static_cast<long>(outlines[3].from - outlines[1].from);
      EXPECT_NEAR(play, 4500, 300) << "ms from frame 2 to the return to frame 0";
    }
  } else {
    EXPECT_EQ(FramesOf(outlines), std::vector<int>{0});
    EXPECT_EQ(FramesOf(shadow_outlines), std::vector<int>{0});
    EXPECT_EQ(FramesOf(pictures), std::vector<int>{0});
    EXPECT_TRUE(tag_hidden_checked);
    EXPECT_EQ(tag_hidden, "") << "the ALM tag during the alarm, even second";
    EXPECT_EQ(AlarmRowAt(art, app.main, conf, {due.second}, Mode::Idle, true), "")
        << "the ALM tag after the alarm, even second";
  }
  EXPECT_EQ(CloseAndWait(app), 0);
}

E2E_FOR_BOTH_EDITIONS(AlarmTest);

// The stop is the same in both editions; the full one shows it in the outline.
TEST(AlarmStopTest, DoubleClickStopsItAndItDoesNotRingAgainInItsWindow) {
  Artwork art(kFull);
  ASSERT_TRUE(art.ok());
  const Conf conf = AlarmConf();
  const std::string dir = TestDir();
  const std::string alarm_path = JoinPath(dir, kAlarmName);
  const Due due = AlarmSoon();
  WriteAlarms(alarm_path, {due.second});
  Running app = Launch(kFull, dir, conf);
  ASSERT_TRUE(app.main);
  const Frames frames(art, conf, {conf.x, conf.y});

  ASSERT_TRUE(WaitUntil([&] { return frames.Outline(app.main) == 2; },
                        due.tick + 2500 - GetTickCount()))
      << "the alarm did not start";
  ASSERT_TRUE(Send(app.main, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(130, 90)));
  const DWORD stopped = GetTickCount();
  EXPECT_TRUE(WaitUntil([&] { return frames.Outline(app.main) == 0; }, 300))
      << "still frame " << frames.Outline(app.main) << " after the double click";
  // Saved again while the alarm's three seconds still run: the file watch
  // (once a second) reads it well inside them.
  WriteAlarms(alarm_path, {due.second});
  EXPECT_LT(GetTickCount() - due.tick, 1500u);

  std::vector<Span> outlines;
  Add(outlines, 0, stopped);
  while (static_cast<LONG>(GetTickCount() - (due.tick + 4500)) < 0) {
    Add(outlines, frames.Outline(app.main), GetTickCount());
    Sleep(15);
  }
  EXPECT_EQ(FramesOf(outlines), std::vector<int>{0}) << "outlines after the stop "
                                                    << Describe(outlines);
  EXPECT_EQ(CloseAndWait(app), 0);
}

// The program frozen across its alarm's second, as a computer asleep is, and
// running again ten seconds later: the missed alarm rings at once. Its one
// thread is suspended, which stops all it does; Windows' tick count, like
// Wine's, goes on meanwhile.
TEST(AlarmSleepTest, AlarmMissedWhileStoppedRingsWhenItRunsAgain) {
  Artwork art(kFull);
  ASSERT_TRUE(art.ok());
  const Conf conf = AlarmConf();
  const std::string dir = TestDir();
  const Due due = AlarmSoon();
  WriteAlarms(JoinPath(dir, kAlarmName), {due.second});
  Running app = Launch(kFull, dir, conf);
  ASSERT_TRUE(app.main);
  const Frames frames(art, conf, {conf.x, conf.y});
  // Running, not still starting: its clock has been looked at before it stops.
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(app.main) != FALSE; }, 3000));
  Sleep(200);
  HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE,
                             GetWindowThreadProcessId(app.main, nullptr));
  ASSERT_TRUE(thread);
  ASSERT_LT(GetTickCount(), due.tick - 500) << "started too late to stop before the alarm";
  ASSERT_NE(SuspendThread(thread), static_cast<DWORD>(-1));
  // Well past the alarm's three seconds; a program that ran on would show the dance.
  const DWORD stopped = GetTickCount();
  while (GetTickCount() - stopped < 10000) {
    ASSERT_EQ(frames.Outline(app.main), 0) << "the program ran on while stopped";
    Sleep(100);
  }
  ResumeThread(thread);
  CloseHandle(thread);
  // The dance leaves the idle outline half a second into the alarm.
  EXPECT_TRUE(WaitUntil([&] { return frames.Outline(app.main) != 0; }, 2000))
      << "the missed alarm did not ring";
  EXPECT_EQ(CloseAndWait(app), 0);
}

// Saving, replacing, deleting and re-creating alerm.txt while the program runs.
TEST(AlarmRowTest, AlarmRowFollowsTheFileWithinASecond) {
  Artwork art(kFull);
  ASSERT_TRUE(art.ok());
  Conf conf;
  conf.alerm = 1;
  const int s = conf.viewscale;
  const std::string dir = TestDir();
  const std::string path = JoinPath(dir, kAlarmName);
  const int now = SecondOfDay(LocalNow());
  auto later = [&](int hours) { return (now + hours * 3600 + 61) % 86400; };
  WriteAlarms(path, {later(1)});
  Running app = Launch(kFull, dir, conf);
  ASSERT_TRUE(app.main);
  const RECT rect = ReadWindow(app.main).rect;
  const e2e::Outline inside = art.Mask(0, s);

  // Whether the alarm row shows the list's next alarm now. The colon blinks
  // with the seconds and the paint of a new second comes up to about 0.1 s
  // late, so the start of a second is left out.
  auto shows = [&](const std::vector<int32_t>& alarms) {
    Moment moment;
    moment.settings = SettingsOf(conf);
    moment.alarms = alarms;
    moment.origin = {rect.left, rect.top};
    SYSTEMTIME t = LocalNow();
    if (t.wMilliseconds < 250) {
      Sleep(250 - t.wMilliseconds);
      t = LocalNow();
    }
    const Surface shot = Capture(rect);
    moment.time = ToLocalTime(t);
    return PictureDifference(shot, art.Picture(moment), inside, s, kAlarmRow).empty();
  };
  EXPECT_TRUE(WaitUntil([&] { return shows({later(1)}); }, 1000)) << "at start";

  struct Step {
    const char* name;
    std::vector<int32_t> shown;
  };
  const Step steps[] = {{"saved", {later(2)}},
                        {"replaced", {later(3)}},
                        {"deleted", {later(3)}},
                        {"re-created", {later(4)}}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    const std::string name = step.name;
    if (name == "saved" || name == "re-created") {
      WriteAlarms(path, step.shown);
    } else if (name == "replaced") {
      const std::string fresh = JoinPath(dir, "alerm.new");
      WriteAlarms(fresh, step.shown);
      ASSERT_TRUE(MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
    } else {
      ASSERT_TRUE(DeleteFileA(path.c_str()));
    }
    const DWORD start = GetTickCount();
    if (name == "deleted") {
      // The list loaded last stays, also past the watch's next look.
      while (GetTickCount() - start < 1300) {
        ASSERT_TRUE(shows(step.shown)) << "changed after " << GetTickCount() - start << " ms";
        Sleep(100);
      }
      continue;
    }
    // The watch looks once a second and the next paint follows within 0.1 s.
    EXPECT_TRUE(WaitUntil([&] { return shows(step.shown); }, 1500))
        << "not shown after " << GetTickCount() - start << " ms";
  }
  EXPECT_EQ(CloseAndWait(app), 0);
}

// The moments at which the character began to dance, watched until end.
std::vector<DWORD> DanceStarts(const Frames& frames, HWND main, DWORD end,
                               const std::function<void()>& meanwhile = [] {}) {
  std::vector<DWORD> starts;
  int last = 0;
  while (static_cast<LONG>(GetTickCount() - end) < 0) {
    meanwhile();
    const int outline = frames.Outline(main);
    if (outline == 2 && last == 0) starts.push_back(GetTickCount());
    if (outline != kUnknown) last = outline;
    Sleep(5);
  }
  return starts;
}

// alerm.txt saved every 10 ms or so, every other time in place and by a
// rename, from a second before its first alarm to a second after its
// second, as an editor that saves on every key or a sync client may: each
// alarm rings once, at its time.
TEST(AlarmFileTest, SavedEveryTenMillisecondsEachAlarmRingsOnce) {
  Artwork art(kFull);
  ASSERT_TRUE(art.ok());
  const Conf conf = AlarmConf();
  const std::string dir = TestDir();
  const std::string path = JoinPath(dir, kAlarmName);
  const std::string fresh = JoinPath(dir, "alerm.new");
  const Due due = AlarmSoon();
  const std::vector<int32_t> alarms = {due.second, (due.second + 8) % 86400};
  WriteAlarms(path, alarms);
  Running app = Launch(kFull, dir, conf);
  ASSERT_TRUE(app.main);
  const Frames frames(art, conf, {conf.x, conf.y});

  int saves = 0;
  DWORD last_save = 0;
  const std::vector<DWORD> starts = DanceStarts(frames, app.main, due.tick + 10500, [&] {
    const DWORD now = GetTickCount();
    const LONG from_due = static_cast<LONG>(now - due.tick);
    if (from_due < -1000 || from_due > 9000 || now - last_save < 10) return;
    last_save = now;
    if (++saves % 2) {
      WriteAlarms(path, alarms);
    } else {
      WriteAlarms(fresh, alarms);
      MoveFileExW(Wide(fresh).c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING);
    }
  });
  std::printf("%d saves in ten seconds\n", saves);
  EXPECT_GT(saves, 500);
  ASSERT_EQ(starts.size(), 2u);
  // The dance leaves the idle outline half a second into the alarm.
  for (size_t i = 0; i < 2; ++i) {
    const LONG late = static_cast<LONG>(starts[i] - due.tick) - static_cast<LONG>(i) * 8000;
    EXPECT_GE(late, 300) << "alarm " << i;
    EXPECT_LE(late, 1600) << "alarm " << i;
  }
  EXPECT_EQ(CloseAndWait(app), 0);
}

// FIFOs in place of the program's files, made on the Unix side; to the
// program they are pipes, which it reads as no file at all. As the
// settings file: it starts with the start-up settings, paints on and
// closes as ever. (Wine neither renames a file over a FIFO nor deletes
// one, so the settings cannot take its place here; Windows has no FIFOs
// in its folders.) As the WAVE file: the alarm dances as ever. As
// alerm.txt, put there while it runs: the alarms read before stay, and the
// next one rings. They were read from a file whose lines end with a CR
// alone.
TEST(AlarmFileTest, FifosInPlaceOfItsFilesHoldNothingUp) {
  Artwork art(kFull);
  ASSERT_TRUE(art.ok());
  {
    const std::string dir = TestDir("settings");
    ASSERT_TRUE(MakeFifo(JoinPath(dir, kConfName))) << "no FIFO could be made";
    Running app = Launch(kFull, dir);
    ASSERT_TRUE(app.main) << "no window with a FIFO for the settings file";
    const Conf defaults;
    const e2e::Outline inside = art.Mask(0, defaults.viewscale);
    const Surface before = Capture(app.main);
    EXPECT_TRUE(WaitUntil([&] {
      return !PictureDifference(Capture(app.main), before, inside, defaults.viewscale).empty();
    }, 2500)) << "the clock stood still";
    EXPECT_EQ(CloseAndWait(app), 0);
  }
  Conf conf = AlarmConf();
  conf.sd = 3;  // the file, looped
  const std::string dir = TestDir();
  conf.sd_file = FullPath(JoinPath(dir, "sound.wav"));
  ASSERT_TRUE(MakeFifo(conf.sd_file));
  const Due due = AlarmSoon();
  WriteFileBytes(JoinPath(dir, kAlarmName),
                 ClockText(due.second) + "\r" + ClockText((due.second + 7) % 86400) + "\r");
  Running app = Launch(kFull, dir, conf);
  ASSERT_TRUE(app.main);
  const Frames frames(art, conf, {conf.x, conf.y});
  std::vector<DWORD> starts = DanceStarts(frames, app.main, due.tick + 2000);
  ASSERT_EQ(starts.size(), 1u) << "the first alarm did not ring";
  ASSERT_TRUE(MakeFifo(JoinPath(dir, kAlarmName)));
  starts = DanceStarts(frames, app.main, due.tick + 9000);
  ASSERT_EQ(starts.size(), 1u) << "the alarm after the FIFO came did not ring";
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_EQ(ReadConf(dir).sd, 3);
}

}  // namespace
