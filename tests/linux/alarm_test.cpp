// An alarm as the user sees it: the dance's outlines, its end, its stop.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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
  ASSERT_TRUE(WaitUntil([&] { return FrameOf(Shape(r.main, true), 2) >= 2; }, 10000));
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
