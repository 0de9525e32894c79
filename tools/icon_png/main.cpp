// Writes one image of a generated .ico as a PNG, for the icon theme of the
// Linux package: the icons are the art's, never redrawn.
//   kurimaro_icon_png ICON.ico SIZE OUT.png
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bmp.h"

namespace {

// libpng's simplified writer: no setjmp, and no time chunk, so the same
// pixels always give the same bytes.
bool WritePng(const std::string& path, const artgen::Image& icon) {
  std::vector<png_byte> rgba;
  rgba.reserve(icon.pixels.size() * 4);
  for (uint32_t argb : icon.pixels) {
    rgba.push_back(static_cast<png_byte>(argb >> 16));
    rgba.push_back(static_cast<png_byte>(argb >> 8));
    rgba.push_back(static_cast<png_byte>(argb));
    rgba.push_back(static_cast<png_byte>(argb >> 24));
  }
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(icon.width);
  image.height = static_cast<png_uint_32>(icon.height);
  image.format = PNG_FORMAT_RGBA;
  const bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: kurimaro_icon_png ICON.ico SIZE OUT.png\n");
    return 2;
  }
  const int size = std::atoi(argv[2]);
  std::vector<uint8_t> bytes;
  std::vector<artgen::Image> images;
  std::vector<std::vector<uint8_t>> masks;
  if (!artgen::ReadFileBytes(argv[1], bytes) || !artgen::DecodeIco(bytes, images, masks)) {
    std::fprintf(stderr, "kurimaro_icon_png: %s is not an icon the art generator wrote\n", argv[1]);
    return 1;
  }
  for (size_t i = 0; i < images.size(); ++i) {
    if (images[i].width != size) continue;
    // Where the mask says see-through, so does the PNG.
    for (size_t p = 0; p < masks[i].size(); ++p) {
      if (masks[i][p]) images[i].pixels[p] = 0;
    }
    if (WritePng(argv[3], images[i])) return 0;
    std::fprintf(stderr, "kurimaro_icon_png: cannot write %s\n", argv[3]);
    return 1;
  }
  std::fprintf(stderr, "kurimaro_icon_png: %s has no %d-pixel image\n", argv[1], size);
  return 1;
}
