#include "gtk/icons_gtk.h"

#include <algorithm>
#include <cstdint>

namespace {

uint32_t Read(const EmbeddedFile& f, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | f.data[at + static_cast<size_t>(i)];
  return v;
}

// One 32-bit image: a 40-byte information header, then bottom-up BGRA rows.
GdkPixbuf* DecodeImage(const EmbeddedFile& f, size_t offset, size_t length) {
  if (offset + 40 > f.size || length < 40 || offset + length > f.size) return nullptr;
  const int width = static_cast<int>(Read(f, offset + 4, 4));
  const int height = static_cast<int>(Read(f, offset + 8, 4)) / 2;  // colour and mask rows
  if (Read(f, offset + 14, 2) != 32 || width <= 0 || height <= 0 || width > 256 || height > 256 ||
      40 + static_cast<size_t>(width) * static_cast<size_t>(height) * 4 > length) {
    return nullptr;
  }
  GdkPixbuf* image = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height);
  guchar* pixels = gdk_pixbuf_get_pixels(image);
  const int stride = gdk_pixbuf_get_rowstride(image);
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = f.data + offset + 40 + static_cast<size_t>(height - 1 - y) * width * 4;
    guchar* dst = pixels + y * stride;
    for (int x = 0; x < width; ++x, src += 4, dst += 4) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
      dst[3] = src[3];
    }
  }
  return image;
}

}  // namespace

std::vector<GdkPixbuf*> DecodeIcon(const EmbeddedFile& f) {
  std::vector<GdkPixbuf*> icons;
  if (f.size < 6 || Read(f, 2, 2) != 1) return icons;
  const uint32_t count = Read(f, 4, 2);
  for (uint32_t i = 0; i < count && 6 + 16 * (i + 1) <= f.size; ++i) {
    const size_t entry = 6 + 16 * static_cast<size_t>(i);
    GdkPixbuf* image = DecodeImage(f, Read(f, entry + 12, 4), Read(f, entry + 8, 4));
    if (image) icons.push_back(image);
  }
  std::sort(icons.begin(), icons.end(), [](GdkPixbuf* a, GdkPixbuf* b) {
    return gdk_pixbuf_get_width(a) > gdk_pixbuf_get_width(b);
  });
  return icons;
}

void FreeIcons(std::vector<GdkPixbuf*>& icons) {
  for (GdkPixbuf* icon : icons) g_object_unref(icon);
  icons.clear();
}
