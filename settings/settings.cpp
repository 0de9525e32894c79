#include "settings/settings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "settings/atomic_file.h"
#include "settings/conf_file.h"

namespace {

int32_t Clamp(int32_t value, int32_t low, int32_t high) { return std::max(low, std::min(value, high)); }

// Below the near edge (by the stored file's rule, "below 1") snaps to it; then
// the far edge wins, so a window wider than the screen ends up left of it.
int32_t ClampToScreen(int32_t value, int32_t origin, int32_t extent, int32_t window_extent) {
  if (value < origin + 1) value = origin;
  const int64_t far = static_cast<int64_t>(origin) + extent - window_extent;
  if (value > far) value = static_cast<int32_t>(far);
  return value;
}

}  // namespace

StartPosition ApplySettings(Settings& settings, const ConfFile& conf, Edition edition,
                            const ScreenRect& screen) {
  settings.viewscale = Clamp(conf.GetInt("viewscale"), 1, MaxScale(edition));
  settings.shadow = conf.GetInt("shadow") != 0;
  settings.alerm = conf.GetInt("alerm") != 0;
  settings.hour24 = conf.GetInt("24") != 0;
  settings.topmost = conf.GetInt("topmost") != 0;
  settings.movelock = conf.GetInt("movelock") != 0;
  settings.calendar = conf.GetInt("calendar") != 0;
  settings.hide = conf.GetInt("hide") != 0;
  settings.sd = Clamp(conf.GetInt("sd"), 0, 3);
  settings.al_time = Clamp(conf.GetInt("al_time"), 0, 3);

  // The writer puts the path between double quotes; the first and last
  // characters are dropped whatever they are.
  char taken[514];
  conf.GetString("sd_file", taken, sizeof taken);
  const size_t length = std::strlen(taken);
  if (length < 2) {
    settings.sd_file[0] = '\0';
  } else {
    const size_t n = std::min(length - 2, sizeof settings.sd_file - 1);
    std::memcpy(settings.sd_file, taken + 1, n);
    settings.sd_file[n] = '\0';
  }

  const int32_t s = settings.viewscale;
  return {ClampToScreen(conf.GetInt("pos_x"), screen.left, screen.width, 88 * s),
          ClampToScreen(conf.GetInt("pos_y"), screen.top, screen.height, 80 * s)};
}

StartPosition LoadSettings(Settings& settings, const char* path, Edition edition,
                           const ScreenRect& screen) {
  ConfFile conf;
  if (!conf.Load(path)) return kDefaultPosition;
  return ApplySettings(settings, conf, edition, screen);
}

std::string FormatSettings(const Settings& settings, int32_t pos_x, int32_t pos_y) {
  std::string out;
  out.reserve(256 + sizeof settings.sd_file);
  char line[64];
  auto int_line = [&](const char* key, long value) {
    std::snprintf(line, sizeof line, "$%s = %ld\r\n", key, value);
    out += line;
  };
  int_line("viewscale", settings.viewscale);
  int_line("shadow", settings.shadow ? 1 : 0);
  int_line("alerm", settings.alerm ? 1 : 0);
  int_line("24", settings.hour24 ? 1 : 0);
  int_line("topmost", settings.topmost ? 1 : 0);
  int_line("movelock", settings.movelock ? 1 : 0);
  int_line("calendar", settings.calendar ? 1 : 0);
  int_line("hide", settings.hide ? 1 : 0);
  int_line("sd", settings.sd);
  int_line("al_time", settings.al_time);
  out += "&sd_file = \"";
  out.append(settings.sd_file, strnlen(settings.sd_file, sizeof settings.sd_file));
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
