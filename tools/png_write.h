#pragma once

// libpng's simplified writer, shared by the tools that write pictures: no
// setjmp, so C++ objects are safe around it, and no time chunk, so the same
// pixels always give the same bytes.
#include <png.h>

#include <string>
#include <vector>

inline bool WriteRgbaPng(const std::string& path, int width, int height,
                         const std::vector<png_byte>& rgba) {
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  const bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}
