// Any bytes as an alarm file: no crash, the same alarms however the bytes are
// split into blocks or read from a stream, a sorted list, and an alarm check
// that copes with whatever times the file gave.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "behaviour/alarm_check.h"
#include "behaviour/alarm_list.h"
#include "behaviour/behaviour.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

struct SilentPlatform : BehaviourPlatform {
  uint32_t tick = 0;
  void PlayAlarmSound(AlarmSound, const char*, bool) override {}
  void StopSound() override {}
  void SetAlarmTimer(uint32_t) override {}
  void KillAlarmTimer() override {}
  uint32_t TickCount() override { return tick += 17; }
  uint64_t FileStamp(const char*) override { return 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<int32_t> whole = ParseAlarmText(text);
  // Each alarm needs at least one byte of its own.
  Check(whole.size() <= size);

  // Blocks of sizes taken from the data itself.
  std::vector<int32_t> pieces;
  AlarmLineReader reader;
  for (size_t pos = 0, i = 0; pos < size; ++i) {
    const size_t n = std::min<size_t>(1 + data[i % size] % 7, size - pos);
    FeedAlarmBytes(reader, text.data() + pos, n, pieces);
    pos += n;
  }
  FinishAlarmBytes(reader, pieces);
  Check(pieces == whole);

  if (size > 0) {
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (file) {
      std::vector<int32_t> streamed;
      Check(ReadAlarmLines(file, streamed));
      std::fclose(file);
      Check(streamed == whole);
    }
  }

  BehaviourState state;
  state.alarm_list = whole;
  SortAlarmTimes(state.alarm_list);
  for (size_t i = 1; i < state.alarm_list.size(); ++i) {
    Check(state.alarm_list[i - 1] <= state.alarm_list[i]);
  }

  // A day's edges and every time the file names, as the time of the check,
  // on days that go forward and back, in zones that change.
  Settings settings;
  settings.show_alarm = true;
  SilentPlatform platform;
  SetMode(state, Mode::Idle, settings, platform);
  std::vector<int32_t> moments = {0, 1, 86397, 86399, 0};
  for (size_t i = 0; i < whole.size() && i < 64; ++i) {
    if (whole[i] >= 0 && whole[i] < 86400) moments.push_back(whole[i]);
  }
  int32_t day = 3;
  for (size_t i = 0; i < moments.size(); ++i) {
    const int32_t now = moments[i];
    if (i > 0 && now < moments[i - 1]) day += i % 3 == 0 ? -1 : 1;
    state.now_sec = now;
    SelectNextAlarm(state, now);
    CheckAlarm(state, settings, platform, {2024, 6, day, now, i % 2 ? 3600 : 7200});
    BehaviourTick(state, settings, Edition::Full, platform);
    Check(state.pose >= 0 && state.pose <= 4);
    Check(state.next_alarm == -1 || state.alarm_list.empty() == false);
  }
  return 0;
}
