#include "art.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace artgen {
namespace {

// One "= head..." line and the grid rows under it.
struct Block {
  std::vector<std::string> head;
  std::vector<std::string> rows;
  int line = 0;
};

struct Source {
  std::string file;
  std::vector<Block> blocks;
};

struct Palette {
  std::map<char, uint32_t> colour;
};

constexpr char kSeeThrough = '.';
constexpr char kKeep = '_';  // in a patch: leave the pixel below as it is

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

std::string Where(const std::string& file, int line) {
  return file + ":" + std::to_string(line) + ": ";
}

// Lines starting with ';' are comments; blank lines are ignored; a line
// starting with '=' opens a block; every other line is a grid row.
bool ReadSource(const std::string& dir, const std::string& name, Source& out, std::string& error) {
  out.file = name;
  std::ifstream in(dir + "/" + name);
  if (!in) {
    error = name + ": cannot be read";
    return false;
  }
  int line_no = 0;
  for (std::string line; std::getline(in, line);) {
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '=') {
      Block block;
      block.head = Words(line.substr(1));
      block.line = line_no;
      out.blocks.push_back(block);
      continue;
    }
    if (out.blocks.empty()) {
      error = Where(name, line_no) + "grid row before any '=' line";
      return false;
    }
    out.blocks.back().rows.push_back(line);
  }
  return true;
}

bool ToInt(const std::string& text, int32_t& value) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < -100000 || v > 100000) return false;
  value = static_cast<int32_t>(v);
  return true;
}

// "c name r g b" per line.
bool ReadPalette(const std::string& dir, Palette& palette, std::string& error) {
  std::ifstream in(dir + "/palette.txt");
  if (!in) {
    error = "palette.txt: cannot be read";
    return false;
  }
  int line_no = 0;
  for (std::string line; std::getline(in, line);) {
    ++line_no;
    const std::vector<std::string> w = Words(line);
    if (w.empty() || w[0][0] == ';') continue;
    int32_t r = 0, g = 0, b = 0;
    if (w.size() != 5 || w[0].size() != 1 || !ToInt(w[2], r) || !ToInt(w[3], g) ||
        !ToInt(w[4], b) || r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) {
      error = Where("palette.txt", line_no) + "expected: char name red green blue";
      return false;
    }
    const char c = w[0][0];
    if (c == kKeep || palette.colour.count(c) != 0) {
      error = Where("palette.txt", line_no) + "character '" + w[0] + "' reserved or used twice";
      return false;
    }
    const uint32_t rgb = Argb(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
    if ((c == kSeeThrough) != (rgb == kKey) || IsNearGreen(rgb)) {
      error = Where("palette.txt", line_no) + "only '.' may be the key colour, and nothing near it";
      return false;
    }
    palette.colour[c] = rgb;
  }
  if (palette.colour.count(kSeeThrough) == 0) {
    error = "palette.txt: '.' (the key colour) missing";
    return false;
  }
  return true;
}

// Checks that a block's grid is exactly w x h of known characters.
bool CheckGrid(const Source& src, const Block& block, const Palette& palette, int32_t w, int32_t h,
               bool allow_keep, std::string& error) {
  if (static_cast<int32_t>(block.rows.size()) != h) {
    error = Where(src.file, block.line) + "expected " + std::to_string(h) + " rows, found " +
            std::to_string(block.rows.size());
    return false;
  }
  for (size_t y = 0; y < block.rows.size(); ++y) {
    const std::string& row = block.rows[y];
    const int line = block.line + 1 + static_cast<int>(y);
    if (static_cast<int32_t>(row.size()) != w) {
      error = Where(src.file, line) + "expected " + std::to_string(w) + " columns, found " +
              std::to_string(row.size()) + " (rows " + std::to_string(y) + " of the block)";
      return false;
    }
    for (char c : row) {
      if (palette.colour.count(c) == 0 && !(allow_keep && c == kKeep)) {
        error = Where(src.file, line) + "unknown colour '" + std::string(1, c) + "'";
        return false;
      }
    }
  }
  return true;
}

int32_t GridWidth(const Block& block) {
  return block.rows.empty() ? 0 : static_cast<int32_t>(block.rows[0].size());
}

// Glyph cells: "= name x y" and the visible shape at the cell origin; '.' is
// see-through (mask white, colour black), any other colour is ink (mask black).
bool BuildAtlas(const Source& src, const Palette& palette, Image& atlas, std::string& error) {
  atlas = MakeImage(kAtlasWidth, kAtlasHeight, kBlack);
  for (int32_t y = kAtlasMaskOffset; y < kAtlasHeight; ++y) {
    for (int32_t x = 0; x < kAtlasWidth; ++x) atlas.At(x, y) = kWhite;
  }
  std::vector<bool> claimed(static_cast<size_t>(kAtlasWidth) * kAtlasMaskOffset, false);
  for (const Block& block : src.blocks) {
    int32_t cx = 0, cy = 0;
    if (block.head.size() != 3 || !ToInt(block.head[1], cx) || !ToInt(block.head[2], cy)) {
      error = Where(src.file, block.line) + "expected: = name x y";
      return false;
    }
    const int32_t w = GridWidth(block);
    const int32_t h = static_cast<int32_t>(block.rows.size());
    if (!CheckGrid(src, block, palette, w, h, false, error)) return false;
    if (cx < 0 || cy < 0 || cx + w > kAtlasWidth || cy + h > kAtlasMaskOffset) {
      error = Where(src.file, block.line) + "cell lies outside the colour layer";
      return false;
    }
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        const size_t at = static_cast<size_t>(cy + y) * kAtlasWidth + cx + x;
        if (claimed[at]) {
          error = Where(src.file, block.line) + "cell overlaps another cell";
          return false;
        }
        claimed[at] = true;
        const char c = block.rows[y][x];
        if (c == kSeeThrough) continue;
        atlas.At(cx + x, cy + y) = palette.colour.at(c);
        atlas.At(cx + x, cy + y + kAtlasMaskOffset) = kBlack;
      }
    }
  }
  return true;
}

void Paint(const Block& block, const Palette& palette, Image& image, int32_t left, int32_t top) {
  for (size_t y = 0; y < block.rows.size(); ++y) {
    for (size_t x = 0; x < block.rows[y].size(); ++x) {
      const char c = block.rows[y][x];
      if (c == kKeep) continue;
      image.At(left + static_cast<int32_t>(x), top + static_cast<int32_t>(y)) = palette.colour.at(c);
    }
  }
}

bool BuildBubble(const Source& src, const Palette& palette, Image& bubble, std::string& error) {
  if (src.blocks.size() != 1) {
    error = src.file + ": expected one block";
    return false;
  }
  if (!CheckGrid(src, src.blocks[0], palette, kBubbleWidth, kBubbleHeight, false, error)) return false;
  bubble = MakeImage(kBubbleWidth, kBubbleHeight, kKey);
  Paint(src.blocks[0], palette, bubble, 0, 0);
  return true;
}

// "= frame k" with a full grid, or "= frame k copy j" followed by any number
// of "= patch x y" blocks whose '_' keeps the copied pixel.
bool BuildCharacter(const Source& src, const Palette& palette, Image& sheet, std::string& error) {
  sheet = MakeImage(kFrameWidth * kFrameCount, kFrameHeight, kKey);
  std::vector<bool> done(kFrameCount, false);
  int32_t current = -1;
  for (const Block& block : src.blocks) {
    const std::vector<std::string>& h = block.head;
    int32_t a = 0, b = 0;
    if (h.size() >= 2 && h[0] == "frame" && ToInt(h[1], a) && a >= 0 && a < kFrameCount) {
      if (done[a]) {
        error = Where(src.file, block.line) + "frame drawn twice";
        return false;
      }
      done[a] = true;
      current = a;
      if (h.size() == 2) {
        if (!CheckGrid(src, block, palette, kFrameWidth, kFrameHeight, false, error)) return false;
        Paint(block, palette, sheet, kFrameWidth * a, 0);
        continue;
      }
      if (h.size() == 4 && h[2] == "copy" && ToInt(h[3], b) && b >= 0 && b < kFrameCount && done[b] &&
          b != a && block.rows.empty()) {
        for (int32_t y = 0; y < kFrameHeight; ++y) {
          for (int32_t x = 0; x < kFrameWidth; ++x) {
            sheet.At(kFrameWidth * a + x, y) = sheet.At(kFrameWidth * b + x, y);
          }
        }
        continue;
      }
    } else if (h.size() == 3 && h[0] == "patch" && ToInt(h[1], a) && ToInt(h[2], b) && current >= 0) {
      const int32_t w = GridWidth(block);
      const int32_t rows = static_cast<int32_t>(block.rows.size());
      if (!CheckGrid(src, block, palette, w, rows, true, error)) return false;
      if (a < 0 || b < 0 || a + w > kFrameWidth || b + rows > kFrameHeight) {
        error = Where(src.file, block.line) + "patch lies outside the frame";
        return false;
      }
      Paint(block, palette, sheet, kFrameWidth * current + a, b);
      continue;
    }
    error = Where(src.file, block.line) +
            "expected: = frame k | = frame k copy j (drawn before) | = patch x y";
    return false;
  }
  for (int32_t k = 0; k < kFrameCount; ++k) {
    if (!done[k]) {
      error = src.file + ": frame " + std::to_string(k) + " missing";
      return false;
    }
  }
  return true;
}

// "= window n" and "= tray n", square grids; '.' is transparent.
bool BuildIcons(const Source& src, const Palette& palette, Sheets& out, std::string& error) {
  out.window_icon.clear();
  out.tray_icon.clear();
  for (const Block& block : src.blocks) {
    int32_t size = 0;
    if (block.head.size() != 2 || (block.head[0] != "window" && block.head[0] != "tray") ||
        !ToInt(block.head[1], size) || size < 1 || size > 255) {
      error = Where(src.file, block.line) + "expected: = window n | = tray n";
      return false;
    }
    if (!CheckGrid(src, block, palette, size, size, false, error)) return false;
    Image icon = MakeImage(size, size, 0);
    for (int32_t y = 0; y < size; ++y) {
      for (int32_t x = 0; x < size; ++x) {
        const char c = block.rows[y][x];
        icon.At(x, y) = c == kSeeThrough ? 0 : palette.colour.at(c);
      }
    }
    (block.head[0] == "window" ? out.window_icon : out.tray_icon).push_back(icon);
  }
  if (out.window_icon.empty() || out.tray_icon.empty()) {
    error = src.file + ": needs at least one window and one tray icon";
    return false;
  }
  return true;
}

}  // namespace

bool IsNearGreen(uint32_t rgb) {
  const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return RgbOf(rgb) != RgbOf(kKey) && r <= 64 && g >= 255 - 64 && b <= 64;
}

bool BuildSheets(const std::string& art_dir, Sheets& out, std::string& error) {
  Palette palette;
  Source glyphs, bubble, character, icons;
  return ReadPalette(art_dir, palette, error) && ReadSource(art_dir, "glyphs.txt", glyphs, error) &&
         ReadSource(art_dir, "bubble.txt", bubble, error) &&
         ReadSource(art_dir, "character.txt", character, error) &&
         ReadSource(art_dir, "icons.txt", icons, error) &&
         BuildAtlas(glyphs, palette, out.atlas, error) &&
         BuildBubble(bubble, palette, out.bubble, error) &&
         BuildCharacter(character, palette, out.character, error) &&
         BuildIcons(icons, palette, out, error);
}

bool Generate(const std::string& art_dir, const std::string& out_dir, std::string& error) {
  Sheets sheets;
  if (!BuildSheets(art_dir, sheets, error)) return false;
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } files[] = {
      {"glyph_atlas.bmp", EncodeBmp24(sheets.atlas)},
      {"character_sheet.bmp", EncodeBmp24(sheets.character)},
      {"bubble.bmp", EncodeBmp24(sheets.bubble)},
      {"window.ico", EncodeIco(sheets.window_icon)},
      {"tray.ico", EncodeIco(sheets.tray_icon)},
  };
  for (const auto& f : files) {
    if (!WriteFileBytes(out_dir + "/" + f.name, f.bytes)) {
      error = out_dir + "/" + f.name + ": cannot be written";
      return false;
    }
  }
  return true;
}

}  // namespace artgen
