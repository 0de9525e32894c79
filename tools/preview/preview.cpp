// Renders one moment of the mascot to a PNG, exactly as the program paints
// it: any time, date, pose, scale, pointer, settings and alarm list.

#include "tools/png_write.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/paint.h"
#include "render/sprites.h"
#include "tools/whole_picture.h"

namespace {

const char kUsage[] =
    "usage: kurimaro_preview [options] OUT.png\n"
    "  --art DIR          glyph_atlas.bmp, character_sheet.bmp and bubble.bmp (default: the\n"
    "                     source tree's resources/generated)\n"
    "  --scale N          1..10 (default 4)\n"
    "  --date YYYY-MM-DD  the weekday follows from the date (default 2024-06-15)\n"
    "  --time HH:MM:SS    (default 10:08:37)\n"
    "  --pose N           frame 0..4 (default 0)\n"
    "  --mode N           0 Mode::Idle, 1 Mode::AlarmStart, 2 Mode::AlarmRun (default 0)\n"
    "  --pointer X,Y      pointer in pixels of the output picture (default 0,0)\n"
    "  --hour24           24-hour time with seconds\n"
    "  --no-calendar      no date row\n"
    "  --alerm            the alarm row\n"
    "  --alarms LIST      alarm times H:MM[:SS], comma separated\n"
    "  --mask             see-through pixels transparent, as the window shows them\n";

struct Options {
  std::string art_dir = KURIMARO_SOURCE_DIR "/resources/generated";
  std::string out;
  int scale = 4;
  LocalTime time = {2024, 6, 15, 0, 10, 8, 37};
  int pose = 0;
  int mode = 0;
  ScreenPoint pointer = {0, 0};
  Settings settings;
  std::vector<int32_t> alarms;
  bool mask = false;
};

// 0 Sunday .. 6 Saturday for a Gregorian date.
int Weekday(int year, int month, int day) {
  static const int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) year -= 1;
  return (year + year / 4 - year / 100 + year / 400 + kOffsets[(month + 11) % 12] + day) % 7;
}

bool ParseAlarms(const char* text, std::vector<int32_t>& out) {
  const char* p = text;
  while (*p) {
    int h = 0, m = 0, s = 0, used = 0;
    if (std::sscanf(p, "%d:%d:%d%n", &h, &m, &s, &used) != 3) {
      s = 0;
      if (std::sscanf(p, "%d:%d%n", &h, &m, &used) != 2) return false;
    }
    out.push_back(h * 3600 + m * 60 + s);
    p += used;
    if (*p == ',') ++p;
    else if (*p) return false;
  }
  return true;
}

bool ParseArgs(int argc, char** argv, Options& o) {
  o.settings.show_alarm = false;
  o.settings.show_date = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
    auto take = [&]() { ++i; return next; };
    if (arg == "--hour24") o.settings.hour24 = true;
    else if (arg == "--no-calendar") o.settings.show_date = false;
    else if (arg == "--alerm") o.settings.show_alarm = true;
    else if (arg == "--mask") o.mask = true;
    else if (arg[0] != '-') o.out = arg;
    else if (next == nullptr) return false;
    else if (arg == "--art") o.art_dir = take();
    else if (arg == "--scale") o.scale = std::atoi(take());
    else if (arg == "--pose") o.pose = std::atoi(take());
    else if (arg == "--mode") o.mode = std::atoi(take());
    else if (arg == "--date") {
      if (std::sscanf(take(), "%d-%d-%d", &o.time.year, &o.time.month, &o.time.day) != 3) return false;
    } else if (arg == "--time") {
      if (std::sscanf(take(), "%d:%d:%d", &o.time.hour, &o.time.minute, &o.time.second) != 3) {
        return false;
      }
    } else if (arg == "--pointer") {
      if (std::sscanf(take(), "%d,%d", &o.pointer.x, &o.pointer.y) != 2) return false;
    } else if (arg == "--alarms") {
      if (!ParseAlarms(take(), o.alarms)) return false;
    } else {
      return false;
    }
  }
  o.time.weekday = Weekday(o.time.year, o.time.month, o.time.day);
  return !o.out.empty() && o.scale >= 1 && o.scale <= 10;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    unsigned char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
  }
  return bytes;
}

bool WritePng(const std::string& path, const Surface& picture, const uint8_t* mask, int scale) {
  std::vector<png_byte> rgba(static_cast<size_t>(picture.width) * picture.height * 4);
  png_byte* out = rgba.data();
  for (int32_t y = 0; y < picture.height; ++y) {
    const uint32_t* in = SurfaceRow(picture, y);
    for (int32_t x = 0; x < picture.width; ++x, out += 4) {
      const bool shown = mask == nullptr || mask[(y / scale) * kPictureWidth + x / scale];
      out[0] = static_cast<png_byte>(in[x] >> 16);
      out[1] = static_cast<png_byte>(in[x] >> 8);
      out[2] = static_cast<png_byte>(in[x]);
      out[3] = shown ? 255 : 0;
    }
  }
  return WriteRgbaPng(path, picture.width, picture.height, rgba);
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseArgs(argc, argv, o)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::vector<uint8_t> atlas = ReadFile(o.art_dir + "/glyph_atlas.bmp");
  const std::vector<uint8_t> sheet = ReadFile(o.art_dir + "/character_sheet.bmp");
  const std::vector<uint8_t> bubble = ReadFile(o.art_dir + "/bubble.bmp");
  Sprites sprites;
  if (!LoadSprites(sprites, {atlas.data(), atlas.size()}, {sheet.data(), sheet.size()},
                   {bubble.data(), bubble.size()})) {
    std::fprintf(stderr, "cannot read the artwork in %s\n", o.art_dir.c_str());
    return 1;
  }
  RescaleSprites(sprites, o.scale);
  o.settings.scale = o.scale;
  BehaviourState behaviour;
  behaviour.mode = static_cast<Mode>(o.mode);
  behaviour.pose = o.pose;
  behaviour.alarm_list = o.alarms;
  RenderState render;
  Surface whole;
  const int32_t frame =
      PaintWholePicture(sprites, render, behaviour, o.settings, o.time, o.pointer, {0, 0}, 0, whole);
  const uint8_t* mask = o.mask ? sprites.frame_masks[frame].data() : nullptr;
  if (!WritePng(o.out, whole, mask, sprites.scale)) {
    std::fprintf(stderr, "cannot write %s\n", o.out.c_str());
    return 1;
  }
  return 0;
}
