#include "tests/driver_common/driver_common.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace drivers {

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc) << bytes;
}

namespace {

// The lines in the order the programs write them.
struct Field {
  const char* key;
  int Conf::*value;
};
const Field kFields[] = {
    {"$viewscale", &Conf::viewscale}, {"$shadow", &Conf::shadow},     {"$alerm", &Conf::alerm},
    {"$24", &Conf::hour24},           {"$topmost", &Conf::topmost},   {"$movelock", &Conf::movelock},
    {"$calendar", &Conf::calendar},   {"$hide", &Conf::hide},         {"$sd", &Conf::sd},
    {"$al_time", &Conf::al_time},
};

}  // namespace

std::string Conf::Text() const {
  std::string text;
  for (const Field& field : kFields) {
    text += std::string(field.key) + " = " + std::to_string(this->*field.value) + "\r\n";
  }
  return text + "&sd_file = \"" + sd_file + "\"\r\n$pos_x = " + std::to_string(x) +
         "\r\n$pos_y = " + std::to_string(y) + "\r\n";
}

Conf ParseConf(const std::string& text) {
  const Conf broken = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, "", -1, -1};
  Conf conf;
  int lines = 0;
  for (size_t start = 0; start < text.size(); ++lines) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) return broken;
    const std::string line = text.substr(start, end - start);
    start = end + 2;
    const size_t eq = line.find(" = ");
    if (eq == std::string::npos) return broken;
    const std::string key = line.substr(0, eq);
    const std::string value = line.substr(eq + 3);
    bool known = true;
    if (key == "&sd_file") {
      if (value.size() < 2 || value.front() != '"' || value.back() != '"') return broken;
      conf.sd_file = value.substr(1, value.size() - 2);
    } else if (key == "$pos_x") {
      conf.x = std::atoi(value.c_str());
    } else if (key == "$pos_y") {
      conf.y = std::atoi(value.c_str());
    } else {
      known = false;
      for (const Field& field : kFields) {
        if (key == field.key) {
          conf.*field.value = std::atoi(value.c_str());
          known = true;
        }
      }
    }
    if (!known) return broken;
  }
  return lines == 13 ? conf : broken;
}

std::string ClockText(int second_of_day) {
  const int s = ((second_of_day % 86400) + 86400) % 86400;
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
  return text;
}

void WriteAlarms(const std::string& path, const std::vector<int>& seconds_of_day) {
  std::string text;
  for (int s : seconds_of_day) text += ClockText(s) + "\r\n";
  WriteFileBytes(path, text);
}

std::vector<uint8_t> Enlarge(const std::vector<uint8_t>& bits, int width, int height, int scale) {
  const int w = width * scale;
  std::vector<uint8_t> big(static_cast<size_t>(w) * height * scale);
  for (int y = 0; y < height * scale; ++y) {
    for (int x = 0; x < w; ++x) {
      big[static_cast<size_t>(y) * w + x] = bits[static_cast<size_t>(y / scale) * width + x / scale];
    }
  }
  return big;
}

}  // namespace drivers
