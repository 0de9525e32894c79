// Writes one image of a generated .ico as a PNG, for the icon theme of the
// Linux package: the icons are the art's, never redrawn.
//   kurimaro_icon_png ICON.ico SIZE OUT.png
#include "tools/png_write.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bmp.h"

namespace {

bool WritePng(const std::string& path, const artgen::Image& icon) {
  std::vector<png_byte> rgba;
  rgba.reserve(icon.pixels.size() * 4);
  for (uint32_t argb : icon.pixels) {
    rgba.push_back(static_cast<png_byte>(argb >> 16));
    rgba.push_back(static_cast<png_byte>(argb >> 8));
    rgba.push_back(static_cast<png_byte>(argb));
    rgba.push_back(static_cast<png_byte>(argb >> 24));
  }
  return WriteRgbaPng(path, icon.width, icon.height, rgba);
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
