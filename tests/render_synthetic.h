#pragma once

// Small stand-ins for the three bitmaps, with just enough shape to tell the
// frames apart and to exercise the overlap of the two boxes.

#include <cstdint>
#include <vector>

#include "render/sprites.h"
#include "render_fixtures.h"

namespace fixture {

// Frame k's body colour, so a test can tell which frame was drawn.
inline uint32_t BodyColour(int32_t k) { return Rgb(200, static_cast<uint8_t>(10 * k), 50); }

// Each frame: a body over columns 8..31, rows 4..63, with white lenses where
// the real frame 0 has them; frames 2..4 also reach left into columns 0..7 on
// rows 6..29, which lands in the bubble box.
inline Surface SyntheticSheet() {
  Surface sheet = MakeSurface(kFrameWidth * kFrameCount, kFrameHeight, kKeyColour);
  for (int32_t k = 0; k < kFrameCount; ++k) {
    for (int32_t y = 0; y < kFrameHeight; ++y) {
      uint32_t* row = SurfaceRow(sheet, y) + kFrameWidth * k;
      for (int32_t x = 0; x < kFrameWidth; ++x) {
        const bool body = x >= 8 && x < 32 && y >= 4;
        const bool reach = k >= 2 && x < 8 && y >= 6 && y < 30;
        const bool lens = y >= 14 && y < 18 && ((x >= 13 && x < 17) || (x >= 21 && x < 26));
        if (lens) row[x] = Rgb(255, 255, 255);
        else if (body || reach) row[x] = BodyColour(k);
      }
    }
  }
  return sheet;
}

// A white box over rows 0..25 with a black outline, and a tail down to row 34.
inline Surface SyntheticBubble() {
  Surface bubble = MakeSurface(kBubbleWidth, kBubbleHeight, kKeyColour);
  for (int32_t y = 0; y < 26; ++y) {
    for (int32_t x = 0; x < kBubbleWidth; ++x) {
      const bool edge = x == 0 || y == 0 || x == kBubbleWidth - 1 || y == 25;
      SurfaceRow(bubble, y)[x] = edge ? Rgb(0, 0, 0) : Rgb(255, 255, 255);
    }
  }
  for (int32_t y = 26; y < 35; ++y) {
    for (int32_t x = 41 + (y - 26); x < 44 + (y - 26); ++x) SurfaceRow(bubble, y)[x] = Rgb(0, 0, 0);
  }
  return bubble;
}

// Every cell see-through: drawing from it changes nothing.
inline Surface BlankAtlas() {
  Surface atlas = MakeSurface(kAtlasWidth, kAtlasHeight, 0);
  for (int32_t y = kAtlasMaskOffset; y < kAtlasHeight; ++y) {
    for (int32_t x = 0; x < kAtlasWidth; ++x) SurfaceRow(atlas, y)[x] = Rgb(255, 255, 255);
  }
  return atlas;
}

struct SyntheticArt {
  std::vector<uint8_t> atlas = EncodeBitmap(BlankAtlas(), false);
  std::vector<uint8_t> sheet = EncodeBitmap(SyntheticSheet(), false);
  std::vector<uint8_t> bubble = EncodeBitmap(SyntheticBubble(), false);
};

inline bool LoadSyntheticSprites(Sprites& sprites) {
  const SyntheticArt art;
  return LoadSprites(sprites, View(art.atlas), View(art.sheet), View(art.bubble));
}

}  // namespace fixture
