// Paint cost at x1, x2 and x10 beside a plain copy of the finished x10
// picture; region building at x10 with each frame's rectangle count.

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "render/paint.h"
#include "render/region.h"
#include "render/sprites.h"
#include "tools/whole_picture.h"
#include "render_fixtures.h"
#include "render_synthetic.h"

namespace {

// The committed artwork when it is there, else the tests' stand-ins.
void Load(Sprites& sprites) {
  if (!fixture::LoadGeneratedSprites(sprites)) fixture::LoadSyntheticSprites(sprites);
}

void BM_PaintFrame(benchmark::State& state) {
  const int32_t scale = static_cast<int32_t>(state.range(0));
  const int32_t pose = static_cast<int32_t>(state.range(1));
  Sprites sprites;
  Load(sprites);
  RescaleSprites(sprites, scale);
  RenderState render;
  BehaviourState behaviour;
  behaviour.mode = Mode::Idle;
  behaviour.pose = pose;
  behaviour.alarm_list = {7 * 3600, 12 * 3600 + 30 * 60, 18 * 3600};
  Settings settings;
  settings.show_alarm = true;
  settings.show_date = true;
  LocalTime time = {2024, 12, 31, 2, 23, 59, 0};
  uint32_t tick = 0;
  Surface whole;
  for (auto _ : state) {
    time.second = static_cast<int32_t>(tick % 60);
    PaintWholePicture(sprites, render, behaviour, settings, time, {500, 300}, {0, 0}, ++tick,
                      whole);
    benchmark::DoNotOptimize(whole.pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(whole.pixels.size() * 4));
}
BENCHMARK(BM_PaintFrame)->ArgNames({"scale", "pose"})->Args({1, 0})->Args({2, 0})->Args({10, 0})
    ->Args({10, 3});

// What the target is measured against: one copy of the finished x10 picture.
void BM_MemcpyFinishedX10(benchmark::State& state) {
  Sprites sprites;
  Load(sprites);
  RescaleSprites(sprites, 10);
  Surface whole = MakeSurface(880, 800);
  Enlarge(sprites.picture, 10, whole);
  std::vector<uint32_t> copy(whole.pixels.size());
  const size_t bytes = copy.size() * 4;
  for (auto _ : state) {
    std::memcpy(copy.data(), whole.pixels.data(), bytes);
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_MemcpyFinishedX10);

void BM_BuildFiveRegionsX10(benchmark::State& state) {
  Sprites sprites;
  Load(sprites);
  std::array<Region, kFrameCount> regions;
  for (auto _ : state) {
    for (int32_t k = 0; k < kFrameCount; ++k) {
      regions[k] = BuildFrameRegion(10, sprites.frame_masks[k].data(), kPictureWidth,
                                    kPictureHeight);
    }
    benchmark::DoNotOptimize(regions.data());
  }
  for (int32_t k = 0; k < kFrameCount; ++k) {
    state.counters["rects_frame" + std::to_string(k)] = static_cast<double>(regions[k].size());
  }
}
BENCHMARK(BM_BuildFiveRegionsX10)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
