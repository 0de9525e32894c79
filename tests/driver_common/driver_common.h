#pragma once

// What the end-to-end drivers of both systems share: the settings and alarm
// files as the programs read and write them, files by their bytes, outlines
// at a scale and waiting for a condition. Standard C++ only, so that it
// builds alike for Windows and for Linux.

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace drivers {

constexpr char kConfName[] = "KurimaroConf.dat";
constexpr char kAlarmName[] = "alerm.txt";

// Paths are UTF-8 text on both systems, so that a folder the Windows code
// page cannot spell works as any other. A file that cannot be read reads "".
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// The settings file's thirteen lines, start-up values unless changed.
struct Conf {
  int viewscale = 2, shadow = 1, alerm = 0, hour24 = 0, topmost = 1, movelock = 0, calendar = 1,
      hide = 0, sd = 0, al_time = 0;
  std::string sd_file;
  int x = 100, y = 100;
  // The bytes both systems write, CR LF after every line.
  std::string Text() const;
};
// A settings file's text read back; every number -1 when it does not have
// the thirteen lines.
Conf ParseConf(const std::string& text);

// "HH:MM:SS" of a second of the day, wrapped into one day.
std::string ClockText(int second_of_day);
// An alarm file at path with one line per second of the day.
void WriteAlarms(const std::string& path, const std::vector<int>& seconds_of_day);

// A width x height outline, one byte a pixel, at a whole-number scale.
std::vector<uint8_t> Enlarge(const std::vector<uint8_t>& bits, int width, int height, int scale);

// Polls the condition every 10 ms until it holds or the time is up.
template <typename Condition>
bool WaitUntil(Condition condition, long long timeout_ms = 15000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace drivers
