#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "behaviour/alarm_check.h"
#include "behaviour/alarm_list.h"
#include "behaviour/behaviour.h"

namespace {

// The system calls cost nothing here; the clock moves 17 ms a call.
struct QuietPlatform : BehaviourPlatform {
  uint32_t tick = 1000;
  void PlayAlarmSound(AlarmSound, const char*, bool) override {}
  void StopSound() override {}
  void SetAlarmTimer(uint32_t) override {}
  void KillAlarmTimer() override {}
  uint32_t TickCount() override { return tick += 17; }
  uint64_t FileStamp(const char*) override { return 0; }
};

// One frame-timer expiry: the alarm check and the behaviour tick, held in one mode.
void BM_CheckAndTick(benchmark::State& bench) {
  const Mode mode = static_cast<Mode>(bench.range(0));
  const Edition edition = bench.range(1) ? Edition::Lite : Edition::Full;
  BehaviourState state;
  Settings settings;
  settings.show_alarm = true;
  QuietPlatform platform;
  for (int32_t h = 0; h < 24; ++h) state.alarm_list.push_back(h * 3600 + 1800);
  state.now_sec = 12 * 3600;
  SelectNextAlarm(state, state.now_sec);
  SetMode(state, mode, settings, platform);
  BehaviourTick(state, settings, edition, platform);
  for (auto _ : bench) {
    CheckAlarm(state, settings, platform, {2024, 6, 3, state.now_sec, 3600});
    BehaviourTick(state, settings, edition, platform);
    if (state.mode != mode) {  // AlarmStart ends after two seconds; start it over
      state.mode = mode;
      state.mode_elapsed = 0;
    }
    benchmark::DoNotOptimize(state.pose);
  }
}
BENCHMARK(BM_CheckAndTick)
    ->ArgNames({"mode", "lite"})
    ->ArgsProduct({{0, 1, 2}, {0, 1}});  // Idle, AlarmStart, AlarmRun

std::string AlarmLines(int64_t count) {
  std::mt19937 rng(5);
  std::string text;
  char line[32];
  for (int64_t i = 0; i < count; ++i) {
    const int n = std::snprintf(line, sizeof line, "%u:%02u:%02u\r\n",
                                static_cast<unsigned>(rng() % 24), static_cast<unsigned>(rng() % 60),
                                static_cast<unsigned>(rng() % 60));
    text.append(line, static_cast<size_t>(n));
  }
  return text;
}

// Reading and sorting from memory.
void BM_ParseAlarmLines(benchmark::State& bench) {
  const std::string text = AlarmLines(bench.range(0));
  for (auto _ : bench) {
    std::vector<int32_t> times = ParseAlarmText(text);
    SortAlarmTimes(times);
    benchmark::DoNotOptimize(times.data());
  }
  bench.SetItemsProcessed(bench.iterations() * bench.range(0));
  bench.SetComplexityN(bench.range(0));
}
BENCHMARK(BM_ParseAlarmLines)->Arg(1000)->Arg(100000)->Arg(1000000)
    ->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

// The whole load from a file on disk.
void BM_LoadAlarmFile(benchmark::State& bench) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("kurimaro_bench_" + std::to_string(bench.range(0)) + ".txt");
  std::ofstream(path, std::ios::binary) << AlarmLines(bench.range(0));
  BehaviourState state;
  QuietPlatform platform;
  for (auto _ : bench) {
    LoadAlarmList(state, path.string().c_str(), platform);
    benchmark::DoNotOptimize(state.alarm_list.data());
  }
  std::filesystem::remove(path);
  bench.SetItemsProcessed(bench.iterations() * bench.range(0));
  bench.SetComplexityN(bench.range(0));
}
BENCHMARK(BM_LoadAlarmFile)->Arg(1000)->Arg(100000)->Arg(1000000)
    ->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
