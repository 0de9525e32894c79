#include "render/region.h"

#include <cstddef>

Region BuildFrameRegion(int32_t scale, const uint8_t* mask, int32_t width, int32_t height) {
  Region region;
  if (mask == nullptr || scale < 1 || width <= 0 || height <= 0) return region;
  std::size_t band_start = 0;  // first rectangle of the previous row's band
  bool have_band = false;
  std::vector<int32_t> runs;   // this row's runs as begin, end pairs
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = mask + static_cast<std::size_t>(y) * width;
    runs.clear();
    for (int32_t x = 0; x < width;) {
      if (!row[x]) { ++x; continue; }
      const int32_t begin = x;
      while (x < width && row[x]) ++x;
      runs.push_back(begin);
      runs.push_back(x);
    }
    // A row whose runs repeat the band just above only deepens that band.
    bool same = have_band && runs.size() == 2 * (region.size() - band_start);
    for (std::size_t i = 0; same && i < runs.size() / 2; ++i) {
      const PixelBox& r = region[band_start + i];
      same = r.left == runs[2 * i] * scale && r.right == runs[2 * i + 1] * scale;
    }
    if (same) {
      for (std::size_t i = band_start; i < region.size(); ++i) region[i].bottom += scale;
      continue;
    }
    band_start = region.size();
    have_band = !runs.empty();
    for (std::size_t i = 0; i < runs.size(); i += 2) {
      region.push_back({runs[i] * scale, y * scale, runs[i + 1] * scale, (y + 1) * scale});
    }
  }
  return region;
}

bool RegionContains(const Region& region, int32_t x, int32_t y) {
  for (const PixelBox& r : region) {
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  }
  return false;
}
