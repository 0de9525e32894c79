#pragma once

// What the sound tests of both systems share: the user's WAVE file they play
// and how they find sounds in what a sound server's monitor recorded.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// The bytes of a WAVE file holding a sine tone: 16-bit mono PCM at 22050 Hz,
// starting from a peak so that the very first sample is loud.
inline std::string ToneWave(int ms, int hz) {
  constexpr uint32_t kRate = 22050;
  const uint32_t samples = kRate * static_cast<uint32_t>(ms) / 1000;
  std::string wave;
  auto put = [&](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) wave += static_cast<char>(value >> (8 * i) & 0xFF);
  };
  wave += "RIFF";
  put(36 + samples * 2, 4);
  wave += "WAVEfmt ";
  put(16, 4);
  put(1, 2);  // PCM
  put(1, 2);  // mono
  put(kRate, 4);
  put(kRate * 2, 4);
  put(2, 2);
  put(16, 2);
  wave += "data";
  put(samples * 2, 4);
  for (uint32_t i = 0; i < samples; ++i) {
    const double phase = 2 * 3.14159265358979 * hz * (i + 0.25 * kRate / hz) / kRate;
    put(static_cast<uint16_t>(static_cast<int16_t>(16000 * std::sin(phase))), 2);
  }
  return wave;
}

// A sound in a recording, in samples: [from, to).
struct SampleRun {
  size_t from;
  size_t to;
};

// The runs of loud samples among samples[first, end); silences of at most gap
// samples do not part them. The null sink's silence is 0, so a little above
// it is loud.
inline std::vector<SampleRun> LoudRuns(const int16_t* samples, size_t first, size_t end,
                                       size_t gap) {
  constexpr int kLoud = 300;  // of 32767
  std::vector<SampleRun> runs;
  for (size_t i = first; i < end; ++i) {
    if (std::abs(samples[i]) < kLoud) continue;
    if (!runs.empty() && i - runs.back().to <= gap) runs.back().to = i + 1;
    else runs.push_back({i, i + 1});
  }
  return runs;
}
