// What the core says belongs on screen, from the same art the programs carry.
#include <cstdlib>
#include <ctime>

#include "render/paint.h"
#include "render/sprites.h"
#include "tools/whole_picture.h"
#include "tests/linux/driver.h"

namespace lx {
namespace {

Sprites g_art;  // the programs' art, loaded on first use for the whole test program

Sprites& Art(int scale) {
  Sprites& sprites = g_art;
  if (sprites.scale == 0) {
    auto bytes = [](const char* name) {
      return ReadFileBytes(std::string(KURIMARO_SOURCE_DIR "/resources/generated/") + name);
    };
    const std::string atlas = bytes("glyph_atlas.bmp");
    const std::string sheet = bytes("character_sheet.bmp");
    const std::string bubble = bytes("bubble.bmp");
    auto view = [](const std::string& s) {
      return ByteView{reinterpret_cast<const uint8_t*>(s.data()), s.size()};
    };
    if (!LoadSprites(sprites, view(atlas), view(sheet), view(bubble))) std::abort();
  }
  if (sprites.scale != scale) RescaleSprites(sprites, scale);
  return sprites;
}

}  // namespace

Mask FrameMask(int frame, int scale) {
  return {kPictureWidth * scale, kPictureHeight * scale,
          Enlarge(Art(1).frame_masks[static_cast<size_t>(frame)], kPictureWidth, kPictureHeight,
                  scale)};
}

Mask Checkered(const Mask& mask, int scale) {
  Mask m = mask;
  for (int y = 0; y < m.h; ++y) {
    for (int x = 0; x < m.w; ++x) {
      if ((x / scale + y / scale) % 2) m.bits[static_cast<size_t>(y) * m.w + x] = 0;
    }
  }
  return m;
}

// The body pixel nearest the middle of the character box that every frame
// covers, so that a press there lands in any pose.
void BodyPoint(int scale, int& x, int& y) {
  const Sprites& art = Art(1);
  int best = 1 << 30;
  for (int py = kFrameTop; py < kFrameTop + kFrameHeight; ++py) {
    for (int px = kBubbleWidth; px < kFrameLeft + kFrameWidth; ++px) {
      bool all = true;
      for (const auto& mask : art.frame_masks) all = all && mask[static_cast<size_t>(py) * kPictureWidth + px];
      const int d = (px - 68) * (px - 68) + (py - 56) * (py - 56);
      if (all && d < best) {
        best = d;
        x = px * scale + scale / 2;
        y = py * scale + scale / 2;
      }
    }
  }
}

Image ExpectedPicture(const Conf& conf, int pointer_x, int pointer_y, int origin_x, int origin_y,
                      const std::vector<int>& alarms) {
  Sprites& art = Art(conf.viewscale);
  Settings settings;
  settings.scale = conf.viewscale;
  settings.show_alarm = conf.alerm;
  settings.hour24 = conf.hour24;
  settings.show_date = conf.calendar;
  const std::time_t now = std::time(nullptr);
  std::tm t = {};
  localtime_r(&now, &t);
  const LocalTime time = {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_wday,
                          t.tm_hour,        t.tm_min,     t.tm_sec};
  BehaviourState behaviour;
  behaviour.mode = Mode::Idle;
  behaviour.alarm_list.assign(alarms.begin(), alarms.end());
  RenderState render;
  Surface s;
  PaintWholePicture(art, render, behaviour, settings, time, {pointer_x, pointer_y},
                    {origin_x, origin_y}, 0, s);
  Image out{s.width, s.height, {}};
  for (int y = 0; y < s.height; ++y) {
    const uint32_t* row = SurfaceRow(s, y);
    out.px.insert(out.px.end(), row, row + s.width);
  }
  return out;
}

int FrameOf(const Mask& shape, int scale) {
  for (int f = 0; f < kFrameCount; ++f) {
    if (shape == FrameMask(f, scale)) return f;
  }
  return -1;
}

}  // namespace lx
