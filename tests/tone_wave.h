#pragma once

// The bytes of a WAVE file holding a sine tone, for the tests that play a
// user's own file: 16-bit mono PCM at 22050 Hz, starting from a peak so that
// the very first sample is loud.
#include <cmath>
#include <cstdint>
#include <string>

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
