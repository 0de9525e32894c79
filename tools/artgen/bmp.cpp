#include "bmp.h"

#include <fstream>
#include <iterator>

namespace artgen {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFFu);
  Put16(out, v >> 16);
}

uint32_t Get16(const std::vector<uint8_t>& in, size_t at) {
  return uint32_t{in[at]} | uint32_t{in[at + 1]} << 8;
}

uint32_t Get32(const std::vector<uint8_t>& in, size_t at) {
  return Get16(in, at) | Get16(in, at + 2) << 16;
}

// BITMAPINFOHEADER with a positive (bottom-up) height.
void PutInfoHeader(std::vector<uint8_t>& out, int32_t width, int32_t height, uint32_t bits,
                   uint32_t image_bytes) {
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);
  Put16(out, bits);
  Put32(out, 0);  // BI_RGB
  Put32(out, image_bytes);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
}

uint32_t Row24(int32_t width) { return (static_cast<uint32_t>(width) * 3 + 3) & ~3u; }
uint32_t RowMask(int32_t width) { return ((static_cast<uint32_t>(width) + 31) / 32) * 4; }

}  // namespace

Image MakeImage(int32_t width, int32_t height, uint32_t fill) {
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<size_t>(width) * height, fill);
  return image;
}

std::vector<uint8_t> EncodeBmp24(const Image& image) {
  const uint32_t row = Row24(image.width);
  const uint32_t data = row * static_cast<uint32_t>(image.height);
  std::vector<uint8_t> out;
  out.reserve(54 + data);
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + data);
  Put32(out, 0);
  Put32(out, 54);
  PutInfoHeader(out, image.width, image.height, 24, data);
  for (int32_t y = image.height - 1; y >= 0; --y) {
    for (int32_t x = 0; x < image.width; ++x) {
      const uint32_t p = image.At(x, y);
      out.push_back(static_cast<uint8_t>(p));
      out.push_back(static_cast<uint8_t>(p >> 8));
      out.push_back(static_cast<uint8_t>(p >> 16));
    }
    for (uint32_t pad = static_cast<uint32_t>(image.width) * 3; pad < row; ++pad) out.push_back(0);
  }
  return out;
}

bool DecodeBmp24(const std::vector<uint8_t>& bytes, Image& out) {
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  if (Get32(bytes, 10) != 54 || Get32(bytes, 14) != 40) return false;
  const auto width = static_cast<int32_t>(Get32(bytes, 18));
  const auto height = static_cast<int32_t>(Get32(bytes, 22));
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return false;
  if (Get16(bytes, 26) != 1 || Get16(bytes, 28) != 24 || Get32(bytes, 30) != 0) return false;
  const uint32_t row = Row24(width);
  if (bytes.size() != 54 + static_cast<size_t>(row) * height) return false;
  out = MakeImage(width, height, 0);
  for (int32_t y = 0; y < height; ++y) {
    const size_t at = 54 + static_cast<size_t>(row) * (height - 1 - y);
    for (int32_t x = 0; x < width; ++x) {
      const size_t p = at + static_cast<size_t>(x) * 3;
      out.At(x, y) = Argb(bytes[p + 2], bytes[p + 1], bytes[p]);
    }
  }
  return true;
}

std::vector<uint8_t> EncodeIco(const std::vector<Image>& images) {
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);  // icon, not cursor
  Put16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  std::vector<uint32_t> sizes;
  for (const Image& image : images) {
    const uint32_t size = 40 + static_cast<uint32_t>(image.width * image.height) * 4 +
                          RowMask(image.width) * static_cast<uint32_t>(image.height);
    out.push_back(static_cast<uint8_t>(image.width));
    out.push_back(static_cast<uint8_t>(image.height));
    out.push_back(0);  // no palette
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, size);
    Put32(out, offset);
    offset += size;
  }
  for (const Image& image : images) {
    const uint32_t xor_bytes = static_cast<uint32_t>(image.width * image.height) * 4;
    const uint32_t and_bytes = RowMask(image.width) * static_cast<uint32_t>(image.height);
    // The height counts the colour and the AND rows together.
    PutInfoHeader(out, image.width, image.height * 2, 32, xor_bytes + and_bytes);
    for (int32_t y = image.height - 1; y >= 0; --y) {
      for (int32_t x = 0; x < image.width; ++x) {
        // See-through pixels are stored as zero so that nothing bleeds when a
        // shell scales the icon with alpha.
        const uint32_t p = image.At(x, y);
        Put32(out, (p >> 24) == 0 ? 0 : p);
      }
    }
    for (int32_t y = image.height - 1; y >= 0; --y) {
      std::vector<uint8_t> row(RowMask(image.width), 0);
      for (int32_t x = 0; x < image.width; ++x) {
        if ((image.At(x, y) >> 24) == 0) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
      out.insert(out.end(), row.begin(), row.end());
    }
  }
  return out;
}

bool DecodeIco(const std::vector<uint8_t>& bytes, std::vector<Image>& images,
               std::vector<std::vector<uint8_t>>& masks) {
  images.clear();
  masks.clear();
  if (bytes.size() < 6 || Get16(bytes, 0) != 0 || Get16(bytes, 2) != 1) return false;
  const uint32_t count = Get16(bytes, 4);
  if (bytes.size() < 6 + 16 * static_cast<size_t>(count)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t entry = 6 + 16 * static_cast<size_t>(i);
    const int32_t width = bytes[entry];
    const int32_t height = bytes[entry + 1];
    const uint32_t size = Get32(bytes, entry + 8);
    const uint32_t offset = Get32(bytes, entry + 12);
    const uint32_t and_row = RowMask(width);
    const size_t expect = 40 + static_cast<size_t>(width * height) * 4 + size_t{and_row} * height;
    if (width == 0 || width != height || size != expect || offset + size_t{size} > bytes.size()) {
      return false;
    }
    if (Get32(bytes, offset) != 40 || static_cast<int32_t>(Get32(bytes, offset + 4)) != width ||
        static_cast<int32_t>(Get32(bytes, offset + 8)) != height * 2 ||
        Get16(bytes, offset + 14) != 32 || Get32(bytes, offset + 16) != 0) {
      return false;
    }
    Image image = MakeImage(width, height, 0);
    std::vector<uint8_t> mask(static_cast<size_t>(width) * height, 0);
    const size_t pixels = offset + 40;
    const size_t and_at = pixels + static_cast<size_t>(width * height) * 4;
    for (int32_t y = 0; y < height; ++y) {
      const int32_t stored = height - 1 - y;
      for (int32_t x = 0; x < width; ++x) {
        image.At(x, y) = Get32(bytes, pixels + (static_cast<size_t>(stored) * width + x) * 4);
        const uint8_t bits = bytes[and_at + size_t{and_row} * stored + x / 8];
        mask[static_cast<size_t>(y) * width + x] = (bits >> (7 - x % 8)) & 1;
      }
    }
    images.push_back(image);
    masks.push_back(mask);
  }
  return true;
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace artgen
