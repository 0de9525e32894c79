// An alarm as the user sees it: the dance's outlines, its end, its stop.
#include <glob.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>
#include <thread>

#include "resources/resource_ids.h"
#include "tests/linux/fixture.h"
#include "tests/sound_fixture.h"

using namespace lx;

namespace {

class Alarm : public Linux {};

// The frames the character's outline shows until it stands in frame 0 again
// after a dance; a frame not in the core's masks counts as -1.
std::set<int> FramesUntilStill(const Running& r, int scale, int timeout_ms) {
  std::set<int> seen;
  bool danced = false;
  WaitUntil([&] {
    const int frame = FrameOf(Shape(r.main, true), scale);
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

// The program's wall clock under libfaketime, moved by rewriting a file; its
// tick count (CLOCK_BOOTTIME) keeps the real time, so a move reads to the
// program as a clock that was set, and the zone's own switches as no step.
class FakeClock {
 public:
  explicit FakeClock(const std::string& dir) : file_(dir + "/faketime") {}
  // From now on the program's clock runs from within this UTC second.
  void Set(std::time_t utc) {
    offset_ = static_cast<long>(utc - std::time(nullptr));
    WriteFileBytes(file_, (offset_ >= 0 ? "+" : "") + std::to_string(offset_) + "\n");
  }
  // The program's clock now, in UTC seconds.
  double Now() const {
    const auto real = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(real).count() + static_cast<double>(offset_);
  }
  std::vector<std::string> Env(const char* zone) const {
    return {"LD_PRELOAD=" + Library(), "FAKETIME_TIMESTAMP_FILE=" + file_, "FAKETIME_NO_CACHE=1",
            "FAKETIME_DONT_FAKE_MONOTONIC=1", "NO_FAKE_STAT=1", "TZ=" + std::string(zone)};
  }
  // Wherever the package put it for this architecture.
  static std::string Library() {
    glob_t found = {};
    std::string path;
    if (glob("/usr/lib/*/faketime/libfaketime.so.1", 0, nullptr, &found) == 0) {
      path = found.gl_pathv[0];
    }
    globfree(&found);
    return path;
  }

 private:
  std::string file_;
  long offset_ = 0;
};

std::time_t Utc(int year, int month, int day, int h, int m, int s) {
  std::tm t = {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = h;
  t.tm_min = m;
  t.tm_sec = s;
  return timegm(&t);
}

// The moments on the program's clock at which a dance began, watched until
// that clock reads until.
std::vector<double> DanceStarts(const Running& r, const FakeClock& clock, std::time_t until) {
  std::vector<double> starts;
  bool dancing = FrameOf(Shape(r.main, true), 2) >= 2;
  while (clock.Now() < static_cast<double>(until)) {
    const bool now = FrameOf(Shape(r.main, true), 2) >= 2;
    if (now && !dancing) starts.push_back(clock.Now());
    dancing = now;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return starts;
}

bool StillAgain(const Running& r) {
  return WaitUntil([&] { return FrameOf(Shape(r.main, true), 2) == 0; }, 7000);
}

// A sound server of the test's own, never the machine's: a null sink whose
// output is recorded from the start, 16-bit mono at 8000 Hz.
class HeardSound {
 public:
  static constexpr int kRate = 8000;

  explicit HeardSound(const std::string& dir) : dir_(dir) {
    const std::vector<std::string> env = {"env", "HOME=" + dir, "XDG_RUNTIME_DIR=" + dir,
                                          "XDG_CONFIG_HOME=" + dir, "PULSE_RUNTIME_PATH=" + dir};
    std::vector<std::string> server = env;
    server.insert(server.end(),
                  {"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                   "--use-pid-file=no", "--realtime=no", "--high-priority=no",
                   "--load=module-null-sink sink_name=t",
                   "--load=module-native-protocol-unix auth-anonymous=1 socket=" + Socket()});
    server_ = StartTool(server);
    WaitUntil([&] { return std::filesystem::exists(Socket()); }, 5000);
    std::vector<std::string> recorder = env;
    recorder.insert(recorder.end(),
                    {"sh", "-c", "exec parec --server=unix:" + Socket() +
                                     " -d t.monitor --format=s16le --rate=8000 --channels=1"
                                     " --latency-msec=10 >" + Recording()});
    recorder_ = StartTool(recorder);
  }
  ~HeardSound() {
    Stop(recorder_);
    Stop(server_);
  }
  bool Ready() const {
    return WaitUntil([&] { return !ReadFileBytes(Recording()).empty(); }, 5000);
  }
  std::string Env() const { return "PULSE_SERVER=unix:" + Socket(); }

  std::vector<int16_t> Samples() const {
    const std::string bytes = ReadFileBytes(Recording());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::copy_n(bytes.data(), samples.size() * 2, reinterpret_cast<char*>(samples.data()));
    return samples;
  }
  // The sounds heard so far; silences of at most gap_ms do not part them.
  std::vector<SampleRun> Sounds(int gap_ms) const {
    const std::vector<int16_t> s = Samples();
    return LoudRuns(s.data(), 0, s.size(), static_cast<size_t>(gap_ms * kRate / 1000));
  }

 private:
  std::string Socket() const { return dir_ + "/native"; }
  std::string Recording() const { return dir_ + "/heard.raw"; }
  std::string dir_;
  Process server_, recorder_;
};

int Ms(const SampleRun& span) {
  return static_cast<int>((span.to - span.from) * 1000 / HeardSound::kRate);
}

// The pitch of a span, from how often it crosses zero.
double Pitch(const std::vector<int16_t>& s, const SampleRun& span) {
  int crossings = 0;
  for (size_t i = span.from + 1; i < span.to; ++i) crossings += (s[i - 1] < 0) != (s[i] < 0);
  return crossings / 2.0 * HeardSound::kRate / static_cast<double>(span.to - span.from);
}

// Loudness every 10 ms from the first loud sample on: what a sound's shape is
// whatever its rate and however it was resampled.
std::vector<double> Envelope(const int16_t* s, size_t count, int rate) {
  const size_t frame = static_cast<size_t>(rate / 100);
  const std::vector<SampleRun> loud = LoudRuns(s, 0, count, count);
  size_t i = loud.empty() ? count : loud.front().from;
  std::vector<double> loudness;
  for (; i + frame <= count; i += frame) {
    double sum = 0;
    for (size_t k = 0; k < frame; ++k) sum += std::abs(s[i + k]);
    loudness.push_back(sum / static_cast<double>(frame));
  }
  return loudness;
}

// The Pearson correlation of two runs of numbers over their common length.
double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
  const size_t n = std::min(a.size(), b.size());
  if (n < 10) return -1;
  double ma = 0, mb = 0;
  for (size_t i = 0; i < n; ++i) ma += a[i], mb += b[i];
  ma /= static_cast<double>(n);
  mb /= static_cast<double>(n);
  double ab = 0, aa = 0, bb = 0;
  for (size_t i = 0; i < n; ++i) {
    ab += (a[i] - ma) * (b[i] - mb);
    aa += (a[i] - ma) * (a[i] - ma);
    bb += (b[i] - mb) * (b[i] - mb);
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : -1;
}

// How alike the heard span is to a built-in sound: the best correlation of
// their envelopes within 30 ms of each other, 1 for the same shape.
double Likeness(const std::vector<int16_t>& heard, const SampleRun& span,
                const char* wave) {
  const std::string bytes = ReadFileBytes(KURIMARO_SOURCE_DIR "/resources/sounds/" + std::string(wave));
  if (bytes.size() <= 44) return -1;
  std::vector<int16_t> samples((bytes.size() - 44) / 2);
  std::copy_n(bytes.data() + 44, samples.size() * 2, reinterpret_cast<char*>(samples.data()));
  const std::vector<double> built_in = Envelope(samples.data(), samples.size(), 44100);
  const std::vector<double> envelope =
      Envelope(heard.data() + span.from, span.to - span.from, HeardSound::kRate);
  double best = -1;
  if (built_in.size() < 4 || envelope.size() < 4) return best;
  for (size_t shift = 0; shift <= 3; ++shift) {
    best = std::max(best, Correlation({built_in.begin() + shift, built_in.end()}, envelope));
    best = std::max(best, Correlation(built_in, {envelope.begin() + shift, envelope.end()}));
  }
  return best;
}

}  // namespace

// An alarm a few seconds ahead dances through the outlines of frames 2, 3
// and 4 (3 and 4 share theirs) and returns
// to frame 0; the next one rings though the file is saved over and over
// until it does, and a double click stops it; saving the file again after
// that does not ring the alarm that passed.
TEST_F(Alarm, DancesAndStops) {
  const std::string dir = Dir();
  Running r = LaunchWithAlarmAhead(dir, 3);
  ASSERT_NE(r.main, 0u);
  std::set<int> dance;
  for (int frame : {0, 2, 3, 4}) dance.insert(FrameOf(FrameMask(frame, 2), 2));
  EXPECT_EQ(FramesUntilStill(r, 2, 20000), dance);

  // The file saved with an alarm ahead is read at the next second; saved
  // again every 20 ms, in place and by a rename, as an editor that saves on
  // every key does, it still rings.
  const int second = SecondOfDayNow() + 3;
  int saves = 0;
  ASSERT_TRUE(WaitUntil([&] {
    const std::string path = dir + "/" + kAlarmName;
    if (++saves % 2) {
      WriteAlarms(path, {second});
    } else {
      WriteAlarms(path + ".new", {second});
      std::rename((path + ".new").c_str(), path.c_str());
    }
    return FrameOf(Shape(r.main, true), 2) >= 2;
  }, 10000)) << "no alarm after " << saves << " saves";
  int bx = 0, by = 0;
  BodyPoint(2, bx, by);
  const Rect at = Bounds(r.main);
  MovePointer(at.x + bx, at.y + by);
  Click(1, 2);
  EXPECT_TRUE(WaitUntil([&] { return FrameOf(Shape(r.main, true), 2) == 0; }, 2000));

  // Saved again, the same alarm now lies behind: no dance for a while.
  WriteAlarms(dir + "/" + kAlarmName, {second});
  const bool danced = WaitUntil([&] { return FrameOf(Shape(r.main, true), 2) >= 2; }, 2500);
  EXPECT_FALSE(danced);
  EXPECT_EQ(CloseAndWait(r), 0);
}

// The machine asleep through an alarm's second, the program stopped as a
// suspended machine's programs are: the alarm rings when it wakes.
TEST_F(Alarm, MissedWhileAsleepRingsOnWaking) {
  const std::string dir = Dir();
  Conf conf;
  conf.alerm = 1;
  conf.al_time = 0;
  const std::vector<int> alarms = {SecondOfDayNow() + 4};
  WriteAlarms(dir + "/" + kAlarmName, alarms);
  Running r = Launch(kFull, dir, conf);
  ASSERT_NE(r.main, 0u);
  // Stopped only after a wake, which checks the alarms before it paints: the
  // first picture comes from the window's first paint, the pupils that follow
  // a move after it from a wake.
  const Rect at = Bounds(r.main);
  for (const auto& [px, py] : {std::pair{1270, 1010}, std::pair{5, 5}}) {
    MovePointer(px, py);
    ASSERT_TRUE(WaitUntil([&] {
      return CompareInside(Grab(r.main, 176, 160), ExpectedPicture(conf, px, py, at.x, at.y, alarms),
                           FrameMask(0, 2)).empty();
    }));
  }
  ASSERT_EQ(kill(r.process.pid, SIGSTOP), 0);
  std::this_thread::sleep_for(std::chrono::seconds(9));  // past the alarm's second and its window
  ASSERT_EQ(FrameOf(Shape(r.main, true), 2), FrameOf(FrameMask(0, 2), 2));
  ASSERT_EQ(kill(r.process.pid, SIGCONT), 0);
  EXPECT_TRUE(WaitUntil([&] { return FrameOf(Shape(r.main, true), 2) >= 2; }, 3000));
  EXPECT_EQ(CloseAndWait(r), 0);
}

// The sound heard is the one chosen: the user's file once, then the laugh,
// chosen from the menu, over and over until the play time ends.
TEST_F(Alarm, PlaysTheChosenSound) {
  const std::string dir = Dir();
  HeardSound heard(MakeWorkDir("Alarm.PlaysTheChosenSound.server"));
  ASSERT_TRUE(heard.Ready()) << "the test's sound server records nothing";
  Conf conf;
  conf.alerm = 1;
  conf.al_time = 0;  // 5 s
  conf.sd = 2;       // the file, once
  conf.sd_file = dir + "/tone.wav";
  WriteFileBytes(conf.sd_file, ToneWave(600, 440));
  const int now = SecondOfDayNow();
  WriteAlarms(dir + "/" + kAlarmName, {now + 4, now + 14});
  Running r = Launch(kFull, dir, conf, {heard.Env()});
  ASSERT_NE(r.main, 0u);
  ASSERT_TRUE(FramesUntilStill(r, 2, 15000).count(2));
  ASSERT_TRUE(ChooseFromMenu(r, ID_SOUND_LAUGH));
  ASSERT_TRUE(FramesUntilStill(r, 2, 15000).count(2));
  EXPECT_EQ(CloseAndWait(r), 0);

  const std::vector<int16_t> samples = heard.Samples();
  const std::vector<SampleRun> sounds = heard.Sounds(200);
  ASSERT_EQ(sounds.size(), 2u);
  EXPECT_NEAR(Ms(sounds[0]), 600, 100) << "the file, once";
  EXPECT_NEAR(Pitch(samples, sounds[0]), 440, 20);
  EXPECT_NEAR(Ms(sounds[1]), 5000, 400) << "to the play time";
  const double laugh = Likeness(samples, sounds[1], "laugh.wav");
  const double ok = Likeness(samples, sounds[1], "ok.wav");
  std::printf("heard the file for %d ms at %.0f Hz, then %d ms like the laugh %.2f, the OK %.2f\n",
              Ms(sounds[0]), Pitch(samples, sounds[0]), Ms(sounds[1]), laugh, ok);
  EXPECT_GT(laugh, 0.8);
  EXPECT_GT(laugh, ok + 0.2);
}

// Under a clock that runs through both switches of summer time in Berlin:
// in spring the 2:10 that the jump from 2:00 to 3:00 skips rings at the
// jump, once; in autumn 2:30 rings in summer time and not again when the
// clock goes back from 3:00 to 2:00, and the alarm after the repeated hour
// rings as ever. The dance starts half a second into the alarm.
TEST_F(Alarm, SummerTimeSwitchesRingEachAlarmOnce) {
  ASSERT_FALSE(FakeClock::Library().empty()) << "libfaketime is not installed";
  const std::string dir = Dir();
  FakeClock clock(dir);
  clock.Set(Utc(2026, 3, 29, 0, 59, 0));  // 1:59 winter time
  WriteAlarms(dir + "/" + kAlarmName, {2 * 3600 + 10 * 60});
  Conf conf;
  conf.alerm = 1;
  conf.al_time = 0;  // 5 s
  Running r = Launch(kFull, dir, conf, clock.Env("Europe/Berlin"));
  ASSERT_NE(r.main, 0u);

  const std::time_t spring_jump = Utc(2026, 3, 29, 1, 0, 0);
  clock.Set(spring_jump - 2);
  std::vector<double> rang = DanceStarts(r, clock, spring_jump + 4);
  ASSERT_EQ(rang.size(), 1u) << "2:10 in the skipped hour";
  EXPECT_NEAR(rang[0] - static_cast<double>(spring_jump), 1.25, 1.25);
  // Not 3:00:05, which would ring in spring too, as the dance at the jump ends.
  WriteAlarms(dir + "/" + kAlarmName, {2 * 3600 + 30 * 60, 3 * 3600 + 30});
  ASSERT_TRUE(StillAgain(r));

  const std::time_t summer_230 = Utc(2026, 10, 25, 0, 30, 0);
  clock.Set(summer_230 - 3);
  rang = DanceStarts(r, clock, summer_230 + 3);
  ASSERT_EQ(rang.size(), 1u) << "2:30 summer time";
  EXPECT_NEAR(rang[0] - static_cast<double>(summer_230), 1.25, 1.25);
  ASSERT_TRUE(StillAgain(r));
  const std::time_t autumn_back = Utc(2026, 10, 25, 1, 0, 0);  // 3:00 becomes 2:00
  clock.Set(autumn_back - 2);
  while (clock.Now() < static_cast<double>(autumn_back + 1)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const std::time_t winter_230 = Utc(2026, 10, 25, 1, 30, 0);
  clock.Set(winter_230 - 3);
  EXPECT_TRUE(DanceStarts(r, clock, winter_230 + 3).empty()) << "2:30 rang again";
  const std::time_t winter_300 = Utc(2026, 10, 25, 2, 0, 30);
  clock.Set(winter_300 - 3);
  rang = DanceStarts(r, clock, winter_300 + 3);
  ASSERT_EQ(rang.size(), 1u) << "3:00:30 winter time";
  EXPECT_NEAR(rang[0] - static_cast<double>(winter_300), 1.25, 1.25);
  EXPECT_EQ(CloseAndWait(r), 0);
}

// FIFOs where the program reads files never hold it up. As the settings
// file: the program starts with the start-up settings, paints on and ends
// on SIGTERM at once, writing its settings. As the WAVE file: the alarm
// dances to the laugh. As alerm.txt, put there while it runs: the list it
// has stays, and its next alarm rings. That list came from a file whose
// lines end with a CR alone.
TEST_F(Alarm, FifosNeverHoldItUp) {
  {
    const std::string dir = MakeWorkDir("Alarm.FifosNeverHoldItUp.settings");
    ASSERT_EQ(mkfifo((dir + "/" + kConfName).c_str(), 0600), 0);
    Running r = Launch(kFull, dir);
    ASSERT_NE(r.main, 0u) << "no window with a FIFO for the settings file";
    const Image before = Grab(r.main);
    EXPECT_TRUE(WaitUntil([&] { return CompareInside(Grab(r.main), before, Shape(r.main, true)) != ""; },
                          2500))
        << "the clock stood still";
    kill(r.process.pid, SIGTERM);
    EXPECT_EQ(WaitExit(r.process, 2000), 0);
    EXPECT_NE(ReadFileBytes(dir + "/" + kConfName).find("$viewscale = 2\r\n"), std::string::npos);
  }
  const std::string dir = Dir();
  HeardSound heard(MakeWorkDir("Alarm.FifosNeverHoldItUp.server"));
  ASSERT_TRUE(heard.Ready()) << "the test's sound server records nothing";
  Conf conf;
  conf.alerm = 1;
  conf.al_time = 0;  // 5 s
  conf.sd = 3;       // the file, looped
  conf.sd_file = dir + "/sound.wav";
  ASSERT_EQ(mkfifo(conf.sd_file.c_str(), 0600), 0);
  const int now = SecondOfDayNow();
  std::string text;
  for (int s : {now + 3, now + 10}) {
    s %= 86400;
    text += std::to_string(s / 3600) + ":" + std::to_string(s / 60 % 60) + ":" +
            std::to_string(s % 60) + "\r";
  }
  WriteFileBytes(dir + "/" + kAlarmName, text);
  Running r = Launch(kFull, dir, conf, {heard.Env()});
  ASSERT_NE(r.main, 0u);
  ASSERT_TRUE(WaitUntil([&] { return FrameOf(Shape(r.main, true), 2) >= 2; }, 6000))
      << "the first alarm did not ring";
  const std::string fifo = dir + "/alerm.fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(std::rename(fifo.c_str(), (dir + "/" + kAlarmName).c_str()), 0);
  ASSERT_TRUE(StillAgain(r));
  EXPECT_TRUE(WaitUntil([&] { return FrameOf(Shape(r.main, true), 2) >= 2; }, 6000))
      << "the alarm after the FIFO came did not ring";
  kill(r.process.pid, SIGTERM);
  EXPECT_EQ(WaitExit(r.process, 2000), 0);
  EXPECT_NE(ReadFileBytes(dir + "/" + kConfName).find("$sd = 3\r\n"), std::string::npos);

  const std::vector<int16_t> samples = heard.Samples();
  const std::vector<SampleRun> sounds = heard.Sounds(200);
  ASSERT_GE(sounds.size(), 1u) << "silence";
  EXPECT_NEAR(Ms(sounds[0]), 5000, 400) << "to the play time";
  EXPECT_GT(Likeness(samples, sounds[0], "laugh.wav"), 0.8);
}
