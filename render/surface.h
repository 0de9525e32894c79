#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/geometry.h"

// A pixel buffer of 32-bit BGRX pixels (blue in the lowest byte, the fourth
// byte always 0), top row first, rows packed. As a 32-bit value a pixel reads
// 0x00RRGGBB, which is what Win32 expects of a 32-bit BI_RGB DIB.
struct Surface {
  int32_t width = 0;
  int32_t height = 0;
  int32_t stride = 0;            // bytes per row, width * 4
  std::vector<uint32_t> pixels;  // width * height, empty when the surface is empty
};

// Bytes handed over from a resource or a file; not owned.
struct ByteView {
  const uint8_t* data = nullptr;
  std::size_t size = 0;
};

constexpr uint32_t Rgb(uint8_t red, uint8_t green, uint8_t blue) {
  return uint32_t{red} << 16 | uint32_t{green} << 8 | blue;
}

// Pure green, the see-through colour of the sprite bitmaps, compared exactly.
inline constexpr uint32_t kKeyColour = Rgb(0, 255, 0);

Surface MakeSurface(int32_t width, int32_t height, uint32_t fill = 0);
void FreeSurface(Surface& surface);

inline uint32_t* SurfaceRow(Surface& surface, int32_t y) {
  return surface.pixels.data() + static_cast<std::size_t>(y) * surface.width;
}
inline const uint32_t* SurfaceRow(const Surface& surface, int32_t y) {
  return surface.pixels.data() + static_cast<std::size_t>(y) * surface.width;
}
inline const uint8_t* SurfaceBytes(const Surface& surface) {
  return reinterpret_cast<const uint8_t*>(surface.pixels.data());
}

// Copies the w x h rectangle of src at (sx, sy) to (dx, dy) of dst; the parts
// that fall outside either surface are left out.
void CopyRect(const Surface& src, int32_t sx, int32_t sy, int32_t w, int32_t h, Surface& dst,
              int32_t dx, int32_t dy);

// Writes src into dst with every pixel grown to a scale x scale block; dst
// must measure src.width * scale x src.height * scale.
void Enlarge(const Surface& src, int32_t scale, Surface& dst);

// The smallest box holding every pixel in which after differs from before;
// all zero when they are equal, the whole of after when the sizes differ.
PixelBox DifferingBox(const Surface& before, const Surface& after);

// Enlarge for the box of src alone (src pixels); the rest of dst is left as it was.
void EnlargeBox(const Surface& src, int32_t scale, Surface& dst, const PixelBox& box);
// The box of src (src pixels, cut to src) enlarged into out, which becomes
// just that big: box width * scale x box height * scale, empty for an empty box.
void EnlargePart(const Surface& src, int32_t scale, const PixelBox& box, Surface& out);

// Reads a 24-bit BI_RGB bitmap of exactly width x height: either a packed DIB
// (information header, optional colour table, rows) as a bitmap resource holds
// it, or a .bmp file with its 14-byte file header. Bottom-up and top-down rows
// are both accepted. Anything else, or too few bytes, gives false.
bool DecodeBitmap(ByteView bytes, int32_t width, int32_t height, Surface& out);
