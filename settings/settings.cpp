#include "settings/settings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "settings/atomic_file.h"
#include "settings/conf_file.h"

namespace {

int32_t Clamp(int32_t value, int32_t low, int32_t high) { return std::max(low, std::min(value, high)); }

}  // namespace

ScreenPoint ApplySettings(Settings& settings, const ConfFile& conf, Edition edition,
                            const ScreenRect& screen) {
  settings.scale = Clamp(conf.GetInt("viewscale"), 1, MaxScale(edition));
  settings.shadow = conf.GetInt("shadow") != 0;
  settings.show_alarm = conf.GetInt("alerm") != 0;
  settings.hour24 = conf.GetInt("24") != 0;
  settings.topmost = conf.GetInt("topmost") != 0;
  settings.move_lock = conf.GetInt("movelock") != 0;
  settings.show_date = conf.GetInt("calendar") != 0;
  settings.in_tray = conf.GetInt("hide") != 0;
  settings.sound = Clamp(conf.GetInt("sd"), 0, 3);
  settings.play_time = Clamp(conf.GetInt("al_time"), 0, 3);

  // The writer puts the path between double quotes; the first and last
  // characters are dropped whatever they are.
  char taken[514];
  conf.GetString("sd_file", taken, sizeof taken);
  const size_t length = std::strlen(taken);
  if (length < 2) {
    settings.sound_file[0] = '\0';
  } else {
    const size_t n = std::min(length - 2, sizeof settings.sound_file - 1);
    std::memcpy(settings.sound_file, taken + 1, n);
    settings.sound_file[n] = '\0';
  }

  const ScreenPoint stored = {conf.GetInt("pos_x"), conf.GetInt("pos_y")};
  return ClampToScreen(screen, WindowAt(stored, settings.scale));
}

ScreenPoint LoadSettings(Settings& settings, const char* path, Edition edition,
                           const ScreenRect& screen) {
  ConfFile conf;
  if (!conf.Load(path)) return kDefaultPosition;
  return ApplySettings(settings, conf, edition, screen);
}

std::string FormatSettings(const Settings& settings, int32_t pos_x, int32_t pos_y) {
  std::string out;
  out.reserve(256 + sizeof settings.sound_file);
  char line[64];
  auto int_line = [&](const char* key, long value) {
    std::snprintf(line, sizeof line, "$%s = %ld\r\n", key, value);
    out += line;
  };
  int_line("viewscale", settings.scale);
  int_line("shadow", settings.shadow ? 1 : 0);
  int_line("alerm", settings.show_alarm ? 1 : 0);
  int_line("24", settings.hour24 ? 1 : 0);
  int_line("topmost", settings.topmost ? 1 : 0);
  int_line("movelock", settings.move_lock ? 1 : 0);
  int_line("calendar", settings.show_date ? 1 : 0);
  int_line("hide", settings.in_tray ? 1 : 0);
  int_line("sd", settings.sound);
  int_line("al_time", settings.play_time);
  out += "&sd_file = \"";
  out.append(settings.sound_file, strnlen(settings.sound_file, sizeof settings.sound_file));
  out += "\"\r\n";
  int_line("pos_x", pos_x);
  int_line("pos_y", pos_y);
  return out;
}

bool SaveSettings(const Settings& settings, int32_t pos_x, int32_t pos_y, const char* path) {
  return WriteFileAtomically(path, FormatSettings(settings, pos_x, pos_y));
}

std::string JoinStartDir(const char* start_dir, const char* file_name) {
  return std::string(start_dir) + kPathSeparator + file_name;
}
