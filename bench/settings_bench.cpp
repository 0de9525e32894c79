#include <benchmark/benchmark.h>

#include <string>

#include "settings/conf_file.h"
#include "settings/settings.h"

namespace {

// A settings-style text of about the given size: many short lines.
std::string ManyLines(size_t bytes) {
  std::string text;
  text.reserve(bytes + 64);
  for (int i = 0; text.size() < bytes; ++i) {
    text += "$key" + std::to_string(i % 5000) + " = " + std::to_string(i) + " ; remark\r\n";
  }
  return text;
}

// One line of about the given size inside double quotes.
std::string OneLongLine(size_t bytes) {
  return "&sd_file = \"" + std::string(bytes, 'x') + "\"\r\n$viewscale = 3\r\n";
}

void BM_LoadManyLines(benchmark::State& state) {
  const std::string text = ManyLines(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    ConfFile conf;
    conf.Parse(text);
    benchmark::DoNotOptimize(conf.ints.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LoadManyLines)->Arg(5 << 10)->Arg(500 << 10)->Arg(50 << 20)->Unit(benchmark::kMicrosecond);

void BM_LoadOneLongLine(benchmark::State& state) {
  const std::string text = OneLongLine(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    ConfFile conf;
    conf.Parse(text);
    benchmark::DoNotOptimize(conf.strings.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LoadOneLongLine)->Arg(5 << 10)->Arg(500 << 10)->Arg(50 << 20)->Unit(benchmark::kMicrosecond);

void BM_FormatSettings(benchmark::State& state) {
  Settings settings;
  for (auto _ : state) benchmark::DoNotOptimize(FormatSettings(settings, 100, 100));
}
BENCHMARK(BM_FormatSettings);

}  // namespace

BENCHMARK_MAIN();
