#pragma once

// Pixel fixtures for the rendering tests, written as text grids so that a
// failing case prints as a picture.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render/sprites.h"
#include "render/surface.h"

namespace fixture {

struct Ink {
  char symbol;
  uint32_t colour;
};

// '-' is the key colour; 'o' the pupils' grey; 'r' and 'b' Sunday's and
// Saturday's letters; 's' the bubble's shading.
inline constexpr Ink kInks[] = {
    {'.', Rgb(255, 255, 255)}, {'#', Rgb(0, 0, 0)},        {'-', kKeyColour},
    {'o', Rgb(128, 128, 128)}, {'r', Rgb(238, 116, 116)},  {'b', Rgb(116, 145, 238)},
    {'s', Rgb(207, 223, 207)}, {'y', Rgb(255, 255, 0)},
};

inline uint32_t ColourOf(char symbol) {
  for (const Ink& ink : kInks) {
    if (ink.symbol == symbol) return ink.colour;
  }
  return Rgb(1, 2, 3);
}

inline char SymbolOf(uint32_t colour) {
  for (const Ink& ink : kInks) {
    if (ink.colour == colour) return ink.symbol;
  }
  return '?';
}

// Rows of a grid: blank lines and leading spaces are dropped, so grids can be
// indented in raw string literals.
inline std::vector<std::string> GridRows(const std::string& grid) {
  std::vector<std::string> rows;
  std::string row;
  for (std::size_t i = 0; i <= grid.size(); ++i) {
    if (i == grid.size() || grid[i] == '\n') {
      const std::size_t start = row.find_first_not_of(' ');
      if (start != std::string::npos) rows.push_back(row.substr(start));
      row.clear();
    } else {
      row += grid[i];
    }
  }
  return rows;
}

inline Surface SurfaceFromGrid(const std::string& grid) {
  const std::vector<std::string> rows = GridRows(grid);
  Surface surface = MakeSurface(static_cast<int32_t>(rows.at(0).size()),
                                static_cast<int32_t>(rows.size()));
  for (int32_t y = 0; y < surface.height; ++y) {
    for (int32_t x = 0; x < surface.width; ++x) SurfaceRow(surface, y)[x] = ColourOf(rows[y].at(x));
  }
  return surface;
}

// Paints a grid onto a surface with its top-left at (x, y).
inline void Stamp(Surface& surface, int32_t x, int32_t y, const std::string& grid) {
  const Surface piece = SurfaceFromGrid(grid);
  CopyRect(piece, 0, 0, piece.width, piece.height, surface, x, y);
}

// The w x h rectangle at (x, y) as a grid, one line per row, each line
// starting with a newline so that it lines up under the expectation.
inline std::string GridOf(const Surface& surface, int32_t x, int32_t y, int32_t w, int32_t h) {
  std::string grid;
  for (int32_t row = y; row < y + h; ++row) {
    grid += '\n';
    for (int32_t col = x; col < x + w; ++col) grid += SymbolOf(SurfaceRow(surface, row)[col]);
  }
  return grid;
}

inline std::string Canonical(const std::string& grid) {
  std::string out;
  for (const std::string& row : GridRows(grid)) out += '\n' + row;
  return out;
}

// A 24-bit bottom-up bitmap as a resource holds it (packed DIB) or, with
// file_header, as a .bmp file.
inline std::vector<uint8_t> EncodeBitmap(const Surface& surface, bool file_header) {
  const uint32_t row_bytes = (static_cast<uint32_t>(surface.width) * 3 + 3) & ~3u;
  const uint32_t pixel_bytes = row_bytes * static_cast<uint32_t>(surface.height);
  std::vector<uint8_t> out;
  auto put32 = [&out](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto put16 = [&out](uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  if (file_header) {
    out.push_back('B');
    out.push_back('M');
    put32(14 + 40 + pixel_bytes);
    put32(0);
    put32(14 + 40);
  }
  put32(40);
  put32(static_cast<uint32_t>(surface.width));
  put32(static_cast<uint32_t>(surface.height));
  put16(1);
  put16(24);
  for (int i = 0; i < 6; ++i) put32(0);
  for (int32_t y = surface.height - 1; y >= 0; --y) {
    const uint32_t* row = SurfaceRow(surface, y);
    for (int32_t x = 0; x < surface.width; ++x) {
      out.push_back(static_cast<uint8_t>(row[x]));
      out.push_back(static_cast<uint8_t>(row[x] >> 8));
      out.push_back(static_cast<uint8_t>(row[x] >> 16));
    }
    for (uint32_t pad = static_cast<uint32_t>(surface.width) * 3; pad < row_bytes; ++pad) {
      out.push_back(0);
    }
  }
  return out;
}

inline ByteView View(const std::vector<uint8_t>& bytes) {
  return {bytes.data(), bytes.size()};
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string GeneratedArt(const char* name) {
  return std::string(KURIMARO_SOURCE_DIR) + "/resources/generated/" + name;
}

// The committed artwork, loaded as the program loads it; false while the art
// is not there yet.
inline bool LoadGeneratedSprites(Sprites& sprites) {
  const std::vector<uint8_t> atlas = ReadFile(GeneratedArt("glyph_atlas.bmp"));
  const std::vector<uint8_t> sheet = ReadFile(GeneratedArt("character_sheet.bmp"));
  const std::vector<uint8_t> bubble = ReadFile(GeneratedArt("bubble.bmp"));
  return LoadSprites(sprites, View(atlas), View(sheet), View(bubble));
}

// The committed glyph atlas alone.
inline bool LoadGeneratedAtlas(Surface& atlas) {
  const std::vector<uint8_t> bytes = ReadFile(GeneratedArt("glyph_atlas.bmp"));
  return DecodeBitmap(View(bytes), kAtlasWidth, kAtlasHeight, atlas);
}

}  // namespace fixture
