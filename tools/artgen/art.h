#pragma once

#include <string>
#include <vector>

#include "bmp.h"

namespace artgen {

// Sizes the program relies on.
inline constexpr int32_t kAtlasWidth = 40;
inline constexpr int32_t kAtlasHeight = 160;
inline constexpr int32_t kAtlasMaskOffset = 80;
inline constexpr int32_t kFrameWidth = 40;
inline constexpr int32_t kFrameHeight = 64;
inline constexpr int32_t kFrameCount = 5;
inline constexpr int32_t kBubbleWidth = 56;
inline constexpr int32_t kBubbleHeight = 40;

inline constexpr uint32_t kKey = Argb(0, 255, 0);
inline constexpr uint32_t kBlack = Argb(0, 0, 0);
inline constexpr uint32_t kWhite = Argb(255, 255, 255);

// True for colours a reader could mistake for the key colour: within 64 steps
// of pure green on every channel. The key itself is not near-green.
bool IsNearGreen(uint32_t rgb);

struct Sheets {
  Image atlas;                     // 40 x 160, colour layer over mask layer
  Image character;                 // 200 x 64, five frames side by side
  Image bubble;                    // 56 x 40
  std::vector<Image> window_icon;  // 48, 32, 16
  std::vector<Image> tray_icon;    // 16, 20, 24, 32
};

// Reads palette.txt, glyphs.txt, bubble.txt, character.txt and icons.txt from
// art_dir. On a fault in the source, false with "file:line: what" in error.
bool BuildSheets(const std::string& art_dir, Sheets& out, std::string& error);

// BuildSheets, then writes glyph_atlas.bmp, character_sheet.bmp, bubble.bmp,
// window.ico and tray.ico into out_dir.
bool Generate(const std::string& art_dir, const std::string& out_dir, std::string& error);

}  // namespace artgen
