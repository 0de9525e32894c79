// The committed artwork: generated files match their source, every fact the
// program relies on holds in the bitmaps, and the sounds and icons have the
// layout Windows expects.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "art.h"
#include "bmp.h"

namespace {

using artgen::Argb;
using artgen::Image;

const std::string kSource = KURIMARO_SOURCE_DIR;
const std::string kArt = kSource + "/resources/art";
const std::string kGenerated = kSource + "/resources/generated";

const uint32_t kKey = Argb(0, 255, 0);
const uint32_t kBlack = Argb(0, 0, 0);
const uint32_t kWhite = Argb(255, 255, 255);
const uint32_t kShade = Argb(207, 223, 207);
const uint32_t kRed = Argb(238, 116, 116);
const uint32_t kBlue = Argb(116, 145, 238);

std::vector<uint8_t> Bytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(artgen::ReadFileBytes(path, bytes)) << path;
  return bytes;
}

Image Bitmap(const char* name, int32_t width, int32_t height) {
  Image image;
  EXPECT_TRUE(artgen::DecodeBmp24(Bytes(kGenerated + "/" + name), image)) << name;
  EXPECT_EQ(image.width, width);
  EXPECT_EQ(image.height, height);
  if (image.width != width || image.height != height) image = artgen::MakeImage(width, height, kKey);
  return image;
}

struct TempDir {
  std::string path;
  TempDir() {
    char name[] = "/tmp/kurimaro_art_XXXXXX";
    path = mkdtemp(name);
  }
  ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
};

// Bounding box of a cell's ink (mask black) as {x0, y0, x1, y1}, cell-relative.
std::vector<int32_t> InkBox(const Image& atlas, int32_t cx, int32_t cy, int32_t w, int32_t h) {
  std::vector<int32_t> box = {w, h, -1, -1};
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      if (atlas.At(cx + x, cy + y + artgen::kAtlasMaskOffset) != kBlack) continue;
      box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), std::max(box[3], y)};
    }
  }
  return box;
}

std::set<uint32_t> InkColours(const Image& atlas, int32_t cx, int32_t cy, int32_t w, int32_t h) {
  std::set<uint32_t> colours;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      if (atlas.At(cx + x, cy + y + artgen::kAtlasMaskOffset) == kBlack) colours.insert(atlas.At(cx + x, cy + y));
    }
  }
  return colours;
}

std::vector<bool> FrameMask(const Image& sheet, int32_t k) {
  std::vector<bool> mask;
  for (int32_t y = 0; y < 64; ++y) {
    for (int32_t x = 0; x < 40; ++x) mask.push_back(sheet.At(40 * k + x, y) != kKey);
  }
  return mask;
}

bool InLens(int32_t x, int32_t y) {
  return y >= 14 && y <= 17 && ((x >= 13 && x <= 16) || (x >= 21 && x <= 25));
}

TEST(Art, GeneratorReproducesTheCommittedFiles) {
  TempDir out;
  std::string error;
  ASSERT_TRUE(artgen::Generate(kArt, out.path, error)) << error;
  for (const char* name : {"glyph_atlas.bmp", "character_sheet.bmp", "bubble.bmp", "window.ico", "tray.ico"}) {
    EXPECT_EQ(Bytes(out.path + "/" + name), Bytes(kGenerated + "/" + name))
        << name << " differs from its source: rebuild with the `art` target";
  }
}

TEST(Art, GeneratorRefusesFaultySource) {
  struct Case {
    const char* file;
    const char* from;
    const char* to;
  } cases[] = {
      {"palette.txt", "s  bubble-shade 207 223 207", "s  bubble-shade 20 250 20"},  // near green
      {"palette.txt", "W  white        255 255 255", "W  white        0 255 0"},   // second key
      {"bubble.txt", "= bubble\n...#", "= bubble\n..#"},                           // short row
      {"glyphs.txt", "= colon 16 64", "= colon 0 0"},                              // overlaps a digit
      {"character.txt", "= patch 13 16\nWooW", "= patch 13 16\nWoQW"},            // unknown colour
      {"icons.txt", "= tray 16", "= tray 15"},                                     // wrong size
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.to);
    TempDir dir;
    for (const char* name : {"palette.txt", "glyphs.txt", "bubble.txt", "character.txt", "icons.txt"}) {
      std::ifstream in(kArt + "/" + name);
      std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (c.file == std::string(name)) {
        const size_t at = text.find(c.from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, std::string(c.from).size(), c.to);
      }
      std::ofstream(dir.path + "/" + name) << text;
    }
    artgen::Sheets sheets;
    std::string error;
    EXPECT_FALSE(artgen::BuildSheets(dir.path, sheets, error));
    EXPECT_NE(error.find(c.file), std::string::npos) << error;
  }
}

TEST(Art, NoColourNearTheKey) {
  for (const Image& image : {Bitmap("glyph_atlas.bmp", 40, 160), Bitmap("character_sheet.bmp", 200, 64),
                             Bitmap("bubble.bmp", 56, 40)}) {
    for (uint32_t p : image.pixels) ASSERT_FALSE(artgen::IsNearGreen(p)) << std::hex << p;
  }
}

TEST(Art, CharacterFrames) {
  const Image sheet = Bitmap("character_sheet.bmp", 200, 64);
  // Frame 0: the lenses are exactly the white rectangles the pupils are painted into.
  for (int32_t y = 13; y <= 18; ++y) {
    for (int32_t x = 12; x <= 26; ++x) {
      const bool white = sheet.At(x, y) == kWhite;
      EXPECT_EQ(white, InLens(x, y)) << "frame 0 at " << x << "," << y;
    }
  }
  // Frame 1 blinks inside the lenses only, with a dark line across each.
  EXPECT_EQ(FrameMask(sheet, 0), FrameMask(sheet, 1));
  int32_t left_dark = 0, right_dark = 0;
  for (int32_t y = 0; y < 64; ++y) {
    for (int32_t x = 0; x < 40; ++x) {
      if (!InLens(x, y)) {
        EXPECT_EQ(sheet.At(x, y), sheet.At(40 + x, y)) << "frame 1 at " << x << "," << y;
      } else if (sheet.At(40 + x, y) != kWhite) {
        ++(x < 20 ? left_dark : right_dark);
      }
    }
  }
  EXPECT_GE(left_dark, 2);
  EXPECT_GE(right_dark, 2);
  // The alarm poses change the outline, so the windows are re-shaped.
  for (int32_t k = 2; k < 5; ++k) EXPECT_NE(FrameMask(sheet, k), FrameMask(sheet, 0)) << "frame " << k;
  // Every frame stands on its floor shadow at the bottom.
  for (int32_t k = 0; k < 5; ++k) {
    const std::vector<bool> mask = FrameMask(sheet, k);
    EXPECT_TRUE(std::count(mask.begin() + 40 * 58, mask.end(), true) > 40) << "frame " << k;
  }
}

TEST(Art, Bubble) {
  const Image b = Bitmap("bubble.bmp", 56, 40);
  const std::set<uint32_t> allowed = {kKey, kBlack, kWhite, kShade};
  for (uint32_t p : b.pixels) EXPECT_TRUE(allowed.count(p)) << std::hex << p;
  for (int32_t y = 3; y <= 22; ++y) {
    EXPECT_EQ(b.At(0, y), kBlack);
    EXPECT_EQ(b.At(55, y), kBlack);
    EXPECT_EQ(b.At(54, y), kShade) << "right edge shade, row " << y;
    for (int32_t x = 1; x <= 53; ++x) EXPECT_EQ(b.At(x, y), kWhite);
  }
  for (int32_t x = 4; x <= 50; ++x) {
    EXPECT_EQ(b.At(x, 0), kBlack);
    for (int32_t y = 1; y <= 23; ++y) EXPECT_EQ(b.At(x, y), kWhite) << x << "," << y;
    if (x < 41 || x > 46) {
      EXPECT_EQ(b.At(x, 24), kShade) << "bottom edge shade, column " << x;
      EXPECT_EQ(b.At(x, 25), kBlack);
    }
  }
  for (int32_t x : {0, 55}) {
    EXPECT_EQ(b.At(x, 0), kKey) << "rounded corner";
    EXPECT_EQ(b.At(x, 25), kKey) << "rounded corner";
  }
  // The tail: leaves the box at columns 41..46 and ends at columns 50..51 of
  // row 34, shaded down its right side; nothing else below the box.
  int32_t tail_shade = 0;
  for (int32_t y = 26; y < 40; ++y) {
    for (int32_t x = 0; x < 56; ++x) {
      const uint32_t p = b.At(x, y);
      if (p == kKey) continue;
      EXPECT_GE(x, 41 + (y - 26)) << x << "," << y;
      EXPECT_LE(y, 34);
      if (y == 26) {
        EXPECT_LE(x, 47);
      }
      tail_shade += p == kShade;
    }
  }
  EXPECT_GT(tail_shade, 3);
  for (int32_t x = 0; x < 56; ++x) EXPECT_EQ(b.At(x, 34) != kKey, x == 50 || x == 51) << x;
  for (int32_t x = 42; x <= 45; ++x) EXPECT_NE(b.At(x, 25), kBlack) << "tail opening";
}

TEST(Art, GlyphMaskCoversOnlyBlackColour) {
  const Image atlas = Bitmap("glyph_atlas.bmp", 40, 160);
  for (int32_t y = 0; y < 80; ++y) {
    for (int32_t x = 0; x < 40; ++x) {
      const uint32_t mask = atlas.At(x, y + 80);
      ASSERT_TRUE(mask == kWhite || mask == kBlack) << x << "," << y;
      if (mask == kWhite) {
        ASSERT_EQ(atlas.At(x, y), kBlack) << x << "," << y;
      }
    }
  }
}

TEST(Art, GlyphCells) {
  const Image a = Bitmap("glyph_atlas.bmp", 40, 160);
  using Box = std::vector<int32_t>;
  std::set<std::vector<uint32_t>> large, small;
  for (int32_t d = 0; d < 10; ++d) {
    SCOPED_TRACE("digit " + std::to_string(d));
    EXPECT_EQ(InkBox(a, 0, 8 * d, 8, 8), (d == 1 ? Box{4, 0, 5, 6} : Box{0, 0, 5, 6}));
    EXPECT_EQ(InkBox(a, 8, 8 * d, 8, 8), (d == 1 ? Box{2, 0, 3, 4} : Box{0, 0, 3, 4}));
    EXPECT_EQ(InkColours(a, 0, 8 * d, 8, 8), std::set<uint32_t>{kBlack});
    std::vector<uint32_t> l, s;
    for (int32_t y = 0; y < 8; ++y) {
      for (int32_t x = 0; x < 8; ++x) {
        l.push_back(a.At(x, 8 * d + y + 80));
        s.push_back(a.At(8 + x, 8 * d + y + 80));
      }
    }
    large.insert(l);
    small.insert(s);
  }
  EXPECT_EQ(large.size(), 10u) << "two large digits look the same";
  EXPECT_EQ(small.size(), 10u) << "two small digits look the same";

  for (int32_t w = 0; w < 7; ++w) {
    SCOPED_TRACE("weekday " + std::to_string(w));
    EXPECT_EQ(InkBox(a, 16, 8 * w, 24, 8), (Box{0, 0, 22, 4}));
    // Brackets are black; the letters carry the weekend colours.
    EXPECT_EQ(a.At(16, 8 * w), kBlack);
    EXPECT_EQ(a.At(16 + 22, 8 * w + 4), kBlack);
    const uint32_t letters = w == 0 ? kRed : w == 6 ? kBlue : kBlack;
    std::set<uint32_t> expected = {kBlack, letters};
    EXPECT_EQ(InkColours(a, 16, 8 * w, 24, 8), expected);
    EXPECT_EQ(InkColours(a, 19, 8 * w, 17, 5), std::set<uint32_t>{letters});
  }

  // Marks: exact pixels for the colons and the slash, boxes for the rest.
  const auto pixels = [&](int32_t cx, int32_t cy, int32_t h = 8) {
    std::set<std::pair<int32_t, int32_t>> ink;
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < 8; ++x) {
        if (a.At(cx + x, cy + y + 80) == kBlack) ink.insert({x, y});
      }
    }
    return ink;
  };
  using Pixels = std::set<std::pair<int32_t, int32_t>>;
  EXPECT_EQ(pixels(16, 64), (Pixels{{0, 1}, {0, 5}}));
  EXPECT_EQ(pixels(24, 64), (Pixels{{0, 1}, {0, 3}}));
  EXPECT_EQ(pixels(32, 64), (Pixels{{2, 1}, {1, 2}, {0, 3}}));
  EXPECT_EQ(InkBox(a, 16, 72, 16, 4), (Box{0, 0, 10, 2}));
  EXPECT_EQ(InkBox(a, 16, 76, 16, 4), (Box{0, 0, 10, 2}));
  EXPECT_NE(pixels(16, 72, 4), pixels(16, 76, 4)) << "AM and PM alike";
  // The ALM tag: a red box whose letters are holes.
  EXPECT_EQ(InkBox(a, 16, 56, 24, 8), (Box{0, 0, 20, 4}));
  EXPECT_EQ(InkColours(a, 16, 56, 24, 8), std::set<uint32_t>{kRed});
  int32_t holes = 0;
  for (int32_t y = 1; y < 4; ++y) {
    for (int32_t x = 1; x < 20; ++x) holes += a.At(16 + x, 56 + y + 80) == kWhite;
  }
  EXPECT_GE(holes, 15);
}

TEST(Art, Icons) {
  struct Case {
    const char* name;
    std::vector<int32_t> sizes;
  } cases[] = {{"window.ico", {48, 32, 16}}, {"tray.ico", {16, 20, 24, 32}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Image> images;
    std::vector<std::vector<uint8_t>> masks;
    ASSERT_TRUE(artgen::DecodeIco(Bytes(kGenerated + "/" + c.name), images, masks));
    ASSERT_EQ(images.size(), c.sizes.size());
    for (size_t i = 0; i < images.size(); ++i) {
      const Image& icon = images[i];
      EXPECT_EQ(icon.width, c.sizes[i]);
      int32_t clear = 0;
      for (size_t p = 0; p < icon.pixels.size(); ++p) {
        const uint32_t alpha = icon.pixels[p] >> 24;
        EXPECT_TRUE(alpha == 0 || alpha == 255);
        EXPECT_EQ(masks[i][p], alpha == 0 ? 1 : 0) << "AND mask disagrees with alpha";
        clear += alpha == 0;
      }
      EXPECT_EQ(icon.At(0, 0) >> 24, 0u) << "corner not transparent";
      EXPECT_GT(clear, icon.width) << "no transparency";
      EXPECT_LT(clear, icon.width * icon.height / 2) << "mostly empty";
    }
  }
}

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
  return v;
}

TEST(Art, Sounds) {
  struct Case {
    const char* name;
    size_t size;
  } cases[] = {{"laugh.wav", 58820}, {"ok.wav", 64488}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> b = Bytes(kSource + "/resources/sounds/" + c.name);
    ASSERT_EQ(b.size(), c.size);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(Le(b, 4, 4), c.size - 8);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le(b, 16, 4), 16u);     // plain PCM format chunk
    EXPECT_EQ(Le(b, 20, 2), 1u);      // PCM
    EXPECT_EQ(Le(b, 22, 2), 1u);      // mono
    EXPECT_EQ(Le(b, 24, 4), 44100u);  // samples a second
    EXPECT_EQ(Le(b, 28, 4), 88200u);  // bytes a second
    EXPECT_EQ(Le(b, 32, 2), 2u);      // block align
    EXPECT_EQ(Le(b, 34, 2), 16u);     // bits
    EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
    EXPECT_EQ(Le(b, 40, 4), c.size - 44);
    // Not silence: some sample reaches a third of full scale.
    int32_t peak = 0;
    for (size_t i = 44; i + 1 < b.size(); i += 2) {
      peak = std::max(peak, std::abs(static_cast<int16_t>(Le(b, i, 2))));
    }
    EXPECT_GT(peak, 10000);
  }
}

}  // namespace
