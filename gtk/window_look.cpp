#include "gtk/window_look.h"

#include <algorithm>

#include "render/geometry.h"

namespace {

bool Inside(const std::vector<uint8_t>& cells, int32_t x, int32_t y) {
  return x >= 0 && y >= 0 && x < kPictureWidth && y < kPictureHeight &&
         cells[static_cast<size_t>(y) * kPictureWidth + x];
}

}  // namespace

void SizeLook(WindowLook& look, int32_t offset) {
  look.offset = std::max(offset, 0);
  look.his.assign(static_cast<size_t>(kPictureWidth) * kPictureHeight, 0);
  look.shade = look.his;
  look.pixels = MakeSurface(kPictureWidth + look.offset, kPictureHeight + look.offset, kClearCell);
}

// The outline's rectangles lie on whole cells: it is the frame's mask enlarged.
void SetOutline(std::vector<uint8_t>& cells, const Region& outline, int32_t scale) {
  std::fill(cells.begin(), cells.end(), 0);
  if (scale < 1) return;
  for (const PixelBox& r : outline) {
    for (int32_t y = std::max(r.top / scale, 0); y < std::min(r.bottom / scale, kPictureHeight);
         ++y) {
      for (int32_t x = std::max(r.left / scale, 0); x < std::min(r.right / scale, kPictureWidth);
           ++x) {
        cells[static_cast<size_t>(y) * kPictureWidth + x] = 1;
      }
    }
  }
}

void ComposeLook(WindowLook& look, const Surface& picture, const PixelBox& box) {
  Surface& out = look.pixels;
  const int32_t bottom = std::min(box.bottom, out.height);
  const int32_t right = std::min(box.right, out.width);
  for (int32_t y = std::max(box.top, 0); y < bottom; ++y) {
    uint32_t* row = SurfaceRow(out, y);
    for (int32_t x = std::max(box.left, 0); x < right; ++x) {
      uint32_t cell = kClearCell;
      if (Inside(look.his, x, y)) {
        const bool drawn = x < picture.width && y < picture.height;
        cell = kOpaque | (drawn ? SurfaceRow(picture, y)[x] & 0xFFFFFF : 0);
      } else if (look.shadow && Inside(look.shade, x - look.offset, y - look.offset)) {
        cell = kShadowCell;
      }
      row[x] = cell;
    }
  }
}

Region LookShape(const WindowLook& look, int32_t scale, bool blended) {
  const int32_t width = look.pixels.width;
  const int32_t height = look.pixels.height;
  std::vector<uint8_t> mask(static_cast<size_t>(width) * height, 0);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      // Without blending, every other cell reads as a shadow and still as pixel art.
      const bool shaded = look.shadow && (blended || (x + y) % 2 == 0) &&
                          Inside(look.shade, x - look.offset, y - look.offset);
      mask[static_cast<size_t>(y) * width + x] = Inside(look.his, x, y) || shaded;
    }
  }
  return BuildFrameRegion(scale, mask.data(), width, height);
}
