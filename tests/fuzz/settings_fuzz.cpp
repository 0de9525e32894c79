// Any bytes as a settings file: no crash, every clamp holds, and what the
// writer makes of the result reads back to the same record.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/conf_file.h"
#include "settings/settings.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void LoadAndCheck(const ConfFile& conf, Edition edition) {
  const ScreenRect screen = {-1920, -300, 3200, 1380};
  Settings settings;
  const ScreenPoint pos = ApplySettings(settings, conf, edition, screen);
  Check(settings.scale >= 1 && settings.scale <= MaxScale(edition));
  Check(settings.sound >= 0 && settings.sound <= 3);
  Check(settings.play_time >= 0 && settings.play_time <= 3);
  Check(std::memchr(settings.sound_file, '\0', sizeof settings.sound_file) != nullptr);
  Check(pos.x >= screen.left && pos.x <= screen.left + screen.width - 88 * settings.scale);
  Check(pos.y >= screen.top && pos.y <= screen.top + screen.height - 80 * settings.scale);

  // A path with a double quote of its own cannot survive the quoting; any
  // other path, blanks and semicolons included, must.
  if (std::strchr(settings.sound_file, '"') || std::strchr(settings.sound_file, '\n')) return;
  const std::string written = FormatSettings(settings, pos.x, pos.y);
  ConfFile again;
  again.Parse(written);
  Settings reread;
  const ScreenPoint pos2 = ApplySettings(reread, again, edition, screen);
  Check(FormatSettings(reread, pos2.x, pos2.y) == written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ConfFile conf;
  conf.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  LoadAndCheck(conf, Edition::Full);
  LoadAndCheck(conf, Edition::Lite);
  return 0;
}
