#include "render/surface.h"

#include <algorithm>
#include <cstring>
#include <utility>

Surface MakeSurface(int32_t width, int32_t height, uint32_t fill) {
  Surface surface;
  if (width <= 0 || height <= 0) return surface;
  surface.width = width;
  surface.height = height;
  surface.stride = width * 4;
  surface.pixels.assign(static_cast<std::size_t>(width) * height, fill);
  return surface;
}

void FreeSurface(Surface& surface) {
  surface = Surface{};
}

void CopyRect(const Surface& src, int32_t sx, int32_t sy, int32_t w, int32_t h, Surface& dst,
              int32_t dx, int32_t dy) {
  // Clip against both surfaces, moving the other corner along.
  if (sx < 0) { w += sx; dx -= sx; sx = 0; }
  if (sy < 0) { h += sy; dy -= sy; sy = 0; }
  if (dx < 0) { w += dx; sx -= dx; dx = 0; }
  if (dy < 0) { h += dy; sy -= dy; dy = 0; }
  w = std::min({w, src.width - sx, dst.width - dx});
  h = std::min({h, src.height - sy, dst.height - dy});
  if (w <= 0 || h <= 0) return;
  for (int32_t y = 0; y < h; ++y) {
    std::memcpy(SurfaceRow(dst, dy + y) + dx, SurfaceRow(src, sy + y) + sx,
                static_cast<std::size_t>(w) * 4);
  }
}

namespace {

// One source row grown scale times; a constant scale lets the compiler unroll
// and vectorise the fill.
template <int32_t kScale>
void GrowRow(const uint32_t* in, int32_t width, uint32_t* out) {
  for (int32_t x = 0; x < width; ++x, out += kScale) {
    for (int32_t k = 0; k < kScale; ++k) out[k] = in[x];
  }
}

void GrowRowAnyScale(const uint32_t* in, int32_t width, int32_t scale, uint32_t* out) {
  switch (scale) {
    case 1: std::memcpy(out, in, static_cast<std::size_t>(width) * 4); return;
    case 2: return GrowRow<2>(in, width, out);
    case 3: return GrowRow<3>(in, width, out);
    case 4: return GrowRow<4>(in, width, out);
    case 5: return GrowRow<5>(in, width, out);
    case 6: return GrowRow<6>(in, width, out);
    case 7: return GrowRow<7>(in, width, out);
    case 8: return GrowRow<8>(in, width, out);
    case 9: return GrowRow<9>(in, width, out);
    case 10: return GrowRow<10>(in, width, out);
    default:
      for (int32_t x = 0; x < width; ++x, out += scale) std::fill_n(out, scale, in[x]);
  }
}

}  // namespace

void Enlarge(const Surface& src, int32_t scale, Surface& dst) {
  EnlargeBox(src, scale, dst, {0, 0, src.width, src.height});
}

namespace {

// The box of src, already inside it, enlarged with its top left at (x, y) of
// dst, which holds all of it.
void EnlargeAt(const Surface& src, int32_t scale, const PixelBox& box, Surface& dst, int32_t x,
               int32_t y) {
  const std::size_t run_bytes = static_cast<std::size_t>(box.right - box.left) * scale * 4;
  for (int32_t row = box.top; row < box.bottom; ++row) {
    // Build the enlarged run once, then repeat it: the copies come from cache.
    const int32_t top = y + (row - box.top) * scale;
    uint32_t* first = SurfaceRow(dst, top) + x;
    GrowRowAnyScale(SurfaceRow(src, row) + box.left, box.right - box.left, scale, first);
    for (int32_t k = 1; k < scale; ++k) std::memcpy(SurfaceRow(dst, top + k) + x, first, run_bytes);
  }
}

PixelBox Inside(const Surface& src, const PixelBox& box) {
  return {std::max(box.left, 0), std::max(box.top, 0), std::min(box.right, src.width),
          std::min(box.bottom, src.height)};
}

}  // namespace

void EnlargeBox(const Surface& src, int32_t scale, Surface& dst, const PixelBox& box) {
  if (scale < 1 || dst.width != src.width * scale || dst.height != src.height * scale) return;
  const PixelBox inside = Inside(src, box);
  if (inside.empty()) return;
  EnlargeAt(src, scale, inside, dst, inside.left * scale, inside.top * scale);
}

void EnlargePart(const Surface& src, int32_t scale, const PixelBox& box, Surface& out) {
  const PixelBox inside = Inside(src, box);
  if (scale < 1 || inside.empty()) {
    out.width = out.height = out.stride = 0;
    out.pixels.clear();
    return;
  }
  out.width = (inside.right - inside.left) * scale;
  out.height = (inside.bottom - inside.top) * scale;
  out.stride = out.width * 4;
  out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
  EnlargeAt(src, scale, inside, out, 0, 0);
}

namespace {

uint32_t ReadU32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t ReadU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

}  // namespace

bool DecodeBitmap(ByteView bytes, int32_t width, int32_t height, Surface& out) {
  const uint8_t* data = bytes.data;
  std::size_t size = bytes.size;
  if (data == nullptr || width <= 0 || height <= 0) return false;
  std::size_t pixel_offset = 0;  // from the start of the information header; 0 = right after it
  if (size >= 14 && data[0] == 'B' && data[1] == 'M') {
    const uint32_t file_offset = ReadU32(data + 10);
    if (file_offset < 14) return false;
    data += 14;
    size -= 14;
    pixel_offset = file_offset - 14;
  }
  if (size < 40) return false;
  const uint32_t header_size = ReadU32(data);
  const int32_t bmp_width = static_cast<int32_t>(ReadU32(data + 4));
  const int32_t bmp_height = static_cast<int32_t>(ReadU32(data + 8));
  const uint16_t planes = ReadU16(data + 12);
  const uint16_t bits = ReadU16(data + 14);
  const uint32_t compression = ReadU32(data + 16);
  const uint32_t colours_used = ReadU32(data + 32);
  if (header_size < 40 || header_size > size || planes != 1 || bits != 24 || compression != 0) {
    return false;
  }
  const bool top_down = bmp_height < 0;
  if (bmp_width != width || (top_down ? -static_cast<int64_t>(bmp_height) : bmp_height) != height) {
    return false;
  }
  if (pixel_offset == 0) {
    // A packed DIB may carry a colour table even at 24 bits; skip it.
    if (colours_used > 256) return false;
    pixel_offset = header_size + std::size_t{colours_used} * 4;
  }
  const std::size_t row_bytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  if (pixel_offset < header_size || pixel_offset > size ||
      (size - pixel_offset) / row_bytes < static_cast<std::size_t>(height)) {
    return false;
  }
  Surface surface = MakeSurface(width, height);
  for (int32_t y = 0; y < height; ++y) {
    const int32_t stored_row = top_down ? y : height - 1 - y;
    const uint8_t* in = data + pixel_offset + static_cast<std::size_t>(stored_row) * row_bytes;
    uint32_t* row = SurfaceRow(surface, y);
    for (int32_t x = 0; x < width; ++x, in += 3) row[x] = Rgb(in[2], in[1], in[0]);
  }
  out = std::move(surface);
  return true;
}

PixelBox DifferingBox(const Surface& before, const Surface& after) {
  if (before.width != after.width || before.height != after.height ||
      before.pixels.size() != after.pixels.size()) {
    return {0, 0, after.width, after.height};
  }
  PixelBox box = {after.width, after.height, 0, 0};
  for (int32_t y = 0; y < after.height; ++y) {
    const uint32_t* a = SurfaceRow(before, y);
    const uint32_t* b = SurfaceRow(after, y);
    for (int32_t x = 0; x < after.width; ++x) {
      if (a[x] == b[x]) continue;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x + 1);
      box.top = std::min(box.top, y);
      box.bottom = y + 1;
    }
  }
  return box.empty() ? PixelBox{0, 0, 0, 0} : box;
}
