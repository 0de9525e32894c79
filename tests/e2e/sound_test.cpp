// Hearing the alarm: the sound chosen starts within 0.3 s of the alarm's
// second and stops at the play time or at a double click. Runs under
// sound.sh, which gives Wine a sound server of its own and records it.
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "edition_test.h"

using namespace e2e;

namespace {

constexpr int64_t kBudget = 300 * kWallMs;  // from the second to the sound, and to its stop
constexpr int64_t kSlack = 20 * kWallMs;    // how far the recording's times may be off
constexpr int kToneMs = 500;
constexpr int kPlayMs = 5000;  // the play time of al_time 0
constexpr int kApartMs = 6000;  // alarms apart: the play time and a second of silence

// The second of the day now and the wall-clock time it began (the local clock
// differs from the wall clock by whole minutes).
struct Second {
  int32_t of_day;
  int64_t begins;
};

Second SecondNow() {
  const int64_t now = WallClock();
  const FILETIME utc = {static_cast<DWORD>(now), static_cast<DWORD>(now >> 32)};
  FILETIME local;
  SYSTEMTIME t;
  FileTimeToLocalFileTime(&utc, &local);
  FileTimeToSystemTime(&local, &t);
  return {SecondOfDay(t), now - now % kWallSecond};
}

void SleepUntil(int64_t wall_clock) {
  const int64_t left = wall_clock - WallClock();
  if (left > 0) Sleep(static_cast<DWORD>(left / kWallMs));
}

enum class End { Once, PlayTime, DoubleClick };

// One alarm of a run.
struct Ring {
  const char* sound;
  int command;   // chooses the sound just before; 0 keeps the one the run began with
  End end;
  int quiet_ms;  // the longest silence inside the sound, where a stop may fall
  bool fifo = false;  // the WAVE file is a FIFO by then, and the laugh plays instead
};

std::string Describe(const std::vector<Sound>& sounds, int64_t due) {
  std::ostringstream text;
  for (const Sound& s : sounds) {
    text << (s.from - due) / kWallMs << ".." << (s.to - due) / kWallMs << " ms ";
  }
  return text.str();
}

class SoundTest : public EditionTest {};

TEST_P(SoundTest, AlarmSoundStartsOnItsSecondAndStopsAtThePlayTimeOrADoubleClick) {
  const char* recording = std::getenv("KURIMARO_E2E_RECORDING");
  if (!recording) GTEST_SKIP() << "nothing records the sound: run through sound.sh";
  std::string path = std::string("Z:") + recording;  // Wine's drive for the Unix root
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  Recording heard(path);
  const bool full = edition().layered;
  // The user's file once in one edition and looped in the other, then each
  // built-in sound: one to the play time, one stopped by a double click. In
  // the lite edition the file then turns into a FIFO, made on the Unix side,
  // which cannot play: the laugh plays in its place.
  const std::vector<Ring> rings =
      full ? std::vector<Ring>{{"WAVE once", 0, End::Once, 0},
                               {"LAUGH", kSoundLaugh, End::PlayTime, 50},
                               {"OK", kSoundOk, End::DoubleClick, 170}}
           : std::vector<Ring>{{"WAVE looped", 0, End::PlayTime, 0},
                               {"a FIFO for the WAVE file", 0, End::PlayTime, 50, true},
                               {"OK", kSoundOk, End::PlayTime, 170},
                               {"LAUGH", kSoundLaugh, End::DoubleClick, 50}};
  const std::string dir = TestDir();
  const std::string tone = FullPath(JoinPath(dir, "tone.wav"));
  WriteToneWave(tone, kToneMs, 440);
  Conf conf;
  conf.alerm = 1;
  conf.al_time = 0;
  conf.sd = full ? 2 : 3;
  conf.sd_file = tone;

  heard.Sync(300);
  WaitForMidSecond();
  const Second now = SecondNow();
  std::vector<int32_t> alarms;
  std::vector<int64_t> due;
  for (size_t i = 0; i < rings.size(); ++i) {
    const int ahead_ms = 3000 + static_cast<int>(i) * kApartMs;
    alarms.push_back((now.of_day + ahead_ms / 1000) % 86400);
    due.push_back(now.begins + ahead_ms * kWallMs);
  }
  WriteAlarms(JoinPath(dir, kAlarmName), alarms);
  Running app = Launch(edition(), dir, conf);
  ASSERT_TRUE(app.main);
  std::vector<int64_t> clicks(rings.size(), 0);
  for (size_t i = 0; i < rings.size(); ++i) {
    if (rings[i].fifo) {
      SleepUntil(due[i] - 900 * kWallMs);  // the sound before has stopped
      ASSERT_TRUE(MakeFifo(tone));
    }
    SleepUntil(due[i] - 500 * kWallMs);
    if (rings[i].command) ASSERT_TRUE(Send(app.main, WM_COMMAND, rings[i].command));
    if (rings[i].end != End::DoubleClick) continue;
    SleepUntil(due[i] + 2 * kWallSecond);
    clicks[i] = WallClock();
    ASSERT_TRUE(Send(app.main, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(130, 90)));
  }
  SleepUntil(due.back() + (kApartMs - 300) * kWallMs);
  heard.Sync(300);
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_LT(std::llabs(heard.Slip()), 30 * kWallMs)
      << "the recording's clock slipped " << heard.Slip() / kWallMs << " ms";

  for (size_t i = 0; i < rings.size(); ++i) {
    const Ring& ring = rings[i];
    SCOPED_TRACE(ring.sound);
    const std::vector<Sound> sounds =
        heard.Sounds(due[i] - 500 * kWallMs, due[i] + (kApartMs - 500) * kWallMs, 200);
    ASSERT_EQ(sounds.size(), 1u) << "heard, from the alarm's second: " << Describe(sounds, due[i]);
    const int64_t start = sounds[0].from - due[i];
    const int64_t stop_at = ring.end == End::Once       ? sounds[0].from + kToneMs * kWallMs
                            : ring.end == End::PlayTime ? due[i] + kPlayMs * kWallMs
                                                        : clicks[i];
    const int64_t stop = sounds[0].to - stop_at;
    const char* what = ring.end == End::Once       ? "the file's end"
                       : ring.end == End::PlayTime ? "the play time"
                                                   : "the double click";
    std::printf("%s, %s: starts %lld ms after its second, stops %lld ms after %s\n",
                edition().name, ring.sound, static_cast<long long>(start / kWallMs),
                static_cast<long long>(stop / kWallMs), what);
    EXPECT_GE(start, -kSlack);
    EXPECT_LE(start, kBudget);
    if (ring.end == End::Once) {
      EXPECT_NEAR(static_cast<double>(stop), 0.0, 2.0 * kSlack) << "not the whole file, once";
    } else {
      EXPECT_GE(stop, -ring.quiet_ms * kWallMs - kSlack) << "stopped before " << what;
      EXPECT_LE(stop, kBudget) << "went on after " << what;
    }
  }
}

E2E_FOR_BOTH_EDITIONS(SoundTest);

}  // namespace
