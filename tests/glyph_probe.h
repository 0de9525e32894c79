#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "render/sprites.h"
#include "render/surface.h"

namespace fixture {

// A probe atlas: each cell shows one pixel at its origin in a colour that
// names the cell, so the drawn picture tells where every glyph went.
struct Probe {
  int32_t x;
  int32_t y;
  const char* name;
};

inline std::vector<Probe> ProbeCells() {
  static const char* const kLarge[] = {"L0", "L1", "L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9"};
  static const char* const kSmall[] = {"S0", "S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8", "S9"};
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::vector<Probe> cells;
  for (int32_t d = 0; d < 10; ++d) {
    cells.push_back({0, 8 * d, kLarge[d]});
    cells.push_back({8, 8 * d, kSmall[d]});
  }
  for (int32_t w = 0; w < 7; ++w) cells.push_back({16, 8 * w, kDays[w]});
  cells.push_back({16, 56, "ALM"});
  cells.push_back({16, 64, "colon"});
  cells.push_back({24, 64, "scolon"});
  cells.push_back({32, 64, "/"});
  cells.push_back({16, 72, "AM"});
  cells.push_back({16, 76, "PM"});
  return cells;
}

inline uint32_t ProbeColour(const Probe& p) {
  return Rgb(1, static_cast<uint8_t>(p.x + 1), static_cast<uint8_t>(p.y + 1));
}

inline Surface ProbeAtlas() {
  Surface atlas = MakeSurface(kAtlasWidth, kAtlasHeight, 0);
  for (int32_t y = kAtlasMaskOffset; y < kAtlasHeight; ++y) {
    std::fill_n(SurfaceRow(atlas, y), kAtlasWidth, Rgb(255, 255, 255));
  }
  for (const Probe& p : ProbeCells()) {
    SurfaceRow(atlas, p.y)[p.x] = ProbeColour(p);
    SurfaceRow(atlas, p.y + kAtlasMaskOffset)[p.x] = 0;
  }
  return atlas;
}

// "name@x,y" for every pixel that is not white in the w x h rectangle at
// (left, top) of the picture (by default all of it), sorted; "?" is no probe.
inline std::vector<std::string> Placed(const Surface& picture, int32_t left = 0, int32_t top = 0,
                                       int32_t w = -1, int32_t h = -1) {
  if (w < 0) w = picture.width;
  if (h < 0) h = picture.height;
  std::vector<std::string> placed;
  for (int32_t y = top; y < top + h; ++y) {
    for (int32_t x = left; x < left + w; ++x) {
      const uint32_t pixel = SurfaceRow(picture, y)[x];
      if (pixel == Rgb(255, 255, 255)) continue;
      std::string name = "?";
      for (const Probe& p : ProbeCells()) {
        if (ProbeColour(p) == pixel) name = p.name;
      }
      placed.push_back(name + "@" + std::to_string(x) + "," + std::to_string(y));
    }
  }
  std::sort(placed.begin(), placed.end());
  return placed;
}

}  // namespace fixture
