#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace artgen {

// A picture as 0xAARRGGBB values, top row first. The sprite sheets ignore
// alpha; icons use it (0xFF opaque, 0x00 see-through).
struct Image {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;

  uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  uint32_t& At(int32_t x, int32_t y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

Image MakeImage(int32_t width, int32_t height, uint32_t fill);

constexpr uint32_t Argb(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 0xFF) {
  return uint32_t{a} << 24 | uint32_t{r} << 16 | uint32_t{g} << 8 | b;
}
constexpr uint32_t RgbOf(uint32_t argb) { return argb & 0xFFFFFFu; }

// A 24-bit BI_RGB .bmp: 14-byte file header, 40-byte information header, no
// palette, bottom-up rows padded to four bytes. Alpha is dropped.
std::vector<uint8_t> EncodeBmp24(const Image& image);

// Reads back exactly what EncodeBmp24 writes (24 bits, BI_RGB, bottom-up);
// anything else gives false.
bool DecodeBmp24(const std::vector<uint8_t>& bytes, Image& out);

// An .ico of 32-bit images with alpha and the AND mask (set where alpha is 0),
// in the given order; every image at most 255 pixels square.
std::vector<uint8_t> EncodeIco(const std::vector<Image>& images);

// Reads an .ico written by EncodeIco: each image with alpha taken from its
// 32-bit pixels and the AND mask in `masks` (1 = see-through), false on any
// other layout.
bool DecodeIco(const std::vector<uint8_t>& bytes, std::vector<Image>& images,
               std::vector<std::vector<uint8_t>>& masks);

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& out);
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace artgen
