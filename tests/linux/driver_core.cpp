// What the core says belongs on screen, from the same art the programs carry.
#include <cstdio>
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

namespace {

constexpr int kShadowCells = 3;  // the shadow's offset, right and down

int Offset(const Program& program) { return program.lite ? 0 : kShadowCells; }

// The picture-sized mask of a frame where the window's cells are.
bool InFrame(const Sprites& art, int frame, int cx, int cy) {
  return cx >= 0 && cy >= 0 && cx < kPictureWidth && cy < kPictureHeight &&
         art.frame_masks[static_cast<size_t>(frame)][static_cast<size_t>(cy) * kPictureWidth + cx];
}

}  // namespace

Rect WindowRect(const Program& program, int x, int y, int scale) {
  return {x, y, (kPictureWidth + Offset(program)) * scale,
          (kPictureHeight + Offset(program)) * scale};
}

Mask WindowShape(const Program& program, int frame, int scale, Shade shade) {
  const Sprites& art = Art(1);
  const Rect r = WindowRect(program, 0, 0, scale);
  const int off = Offset(program);
  Mask m{r.w, r.h, std::vector<uint8_t>(static_cast<size_t>(r.w) * r.h, 0)};
  for (int y = 0; y < r.h; ++y) {
    for (int x = 0; x < r.w; ++x) {
      const int cx = x / scale, cy = y / scale;
      // Without a compositor, every other cell of the shadow.
      const bool shaded = shade == Shade::Blended || (shade == Shade::Stippled && (cx + cy) % 2 == 0);
      m.bits[static_cast<size_t>(y) * r.w + x] =
          InFrame(art, frame, cx, cy) || (shaded && InFrame(art, frame, cx - off, cy - off));
    }
  }
  return m;
}

Mask InputShape(const Program& program, int frame, int scale) {
  return WindowShape(program, frame, scale, Shade::Off);
}

std::string ScreenShows(const Running& running, int scale, Shade shade) {
  const Sprites& art = Art(1);
  const Rect at = Bounds(running.main);
  const Image own = Grab(running.main);
  const Image screen = GrabScreen(at);
  if (own.px.empty() || screen.px.empty()) return "nothing to read";
  auto his = [&](int x, int y) { return InFrame(art, 0, x / scale, y / scale); };
  auto shadows = [&](int x, int y) {
    return InFrame(art, 0, x / scale - kShadowCells, y / scale - kShadowCells);
  };
  int covered = 0, shadow_wrong = 0;
  std::string first;
  auto note = [&first](const char* what, int x, int y, uint32_t got, uint32_t want) {
    if (!first.empty()) return;
    char text[96];
    std::snprintf(text, sizeof text, "%s at (%d, %d): %06x not %06x", what, x, y, got, want);
    first = text;
  };
  for (int y = 0; y < at.h; ++y) {
    // The desktop shows where neither he nor his shadow is; the nearest such
    // pixel of the row tells its colour, which may run in a gradient.
    std::vector<int> clear;
    for (int x = 0; x < at.w; ++x) {
      if (!his(x, y) && !shadows(x, y)) clear.push_back(x);
    }
    for (int x = 0; x < at.w; ++x) {
      const uint32_t got = screen.At(x, y);
      if (his(x, y)) {
        if (got != own.At(x, y)) {
          ++covered;
          note("his pixel", x, y, got, own.At(x, y));
        }
        continue;
      }
      if (!shadows(x, y) || clear.empty()) continue;
      int near_x = clear.front();
      for (int c : clear) near_x = std::abs(c - x) < std::abs(near_x - x) ? c : near_x;
      const uint32_t desk = screen.At(near_x, y);
      // Half black blends each channel to half; without blending every
      // other cell is black and the rest is the desktop's.
      uint32_t want = desk;
      if (shade == Shade::Blended) want = (desk >> 1) & 0x7F7F7F;
      if (shade == Shade::Stippled && (x / scale + y / scale) % 2 == 0) want = 0;
      bool near = true;
      for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>(got >> shift & 0xFF);
        const int b = static_cast<int>(want >> shift & 0xFF);
        near = near && std::abs(a - b) <= 4;
      }
      if (!near) {
        ++shadow_wrong;
        note("shadow pixel", x, y, got, want);
      }
    }
  }
  if (covered == 0 && shadow_wrong == 0) return "";
  return std::to_string(covered) + " of his pixels and " + std::to_string(shadow_wrong) +
         " of the shadow's differ, first " + first;
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
  const int w = kPictureWidth * scale, h = kPictureHeight * scale;
  if (shape.w < w || shape.h < h) return -1;
  Mask part{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h, 0)};
  int inside = 0, all = 0;
  for (int y = 0; y < shape.h; ++y) {
    for (int x = 0; x < shape.w; ++x) {
      const uint8_t bit = shape.bits[static_cast<size_t>(y) * shape.w + x];
      all += bit;
      if (x < w && y < h) inside += part.bits[static_cast<size_t>(y) * w + x] = bit;
    }
  }
  if (inside != all) return -1;
  for (int f = 0; f < kFrameCount; ++f) {
    if (part == FrameMask(f, scale)) return f;
  }
  return -1;
}

}  // namespace lx
