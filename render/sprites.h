#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "render/region.h"
#include "render/surface.h"

// The boxes of the picture at scale 1 (its size is in render/geometry.h);
// at scale s every coordinate and size is multiplied by s.
inline constexpr int32_t kBubbleWidth = 56;   // bubble box at (0, 0)
inline constexpr int32_t kBubbleHeight = 40;
inline constexpr int32_t kFrameLeft = 48;     // character box at (48, 16)
inline constexpr int32_t kFrameTop = 16;
inline constexpr int32_t kFrameWidth = 40;
inline constexpr int32_t kFrameHeight = 64;
inline constexpr int32_t kFrameCount = 5;
inline constexpr int32_t kAtlasWidth = 40;    // colour layer rows 0..79, mask layer 80..159
inline constexpr int32_t kAtlasHeight = 160;
inline constexpr int32_t kAtlasMaskOffset = 80;
inline constexpr int32_t kMinScale = 1;
inline constexpr int32_t kMaxScale = 10;

// Every image the mascot is drawn from and the shape of its windows; owned by
// the rendering core for the life of the process.
struct Sprites {
  Surface picture;           // 88 x 80: the same picture composed at scale 1
  Surface character_sheet;   // 200 x 64, five 40 x 64 frames side by side
  Surface bubble;            // 56 x 40 on the key colour
  Surface atlas;             // 40 x 160 glyph atlas, colour over mask
  std::array<std::vector<uint8_t>, kFrameCount> frame_masks;  // 88 x 80 bytes, 1 = window
  std::array<Region, kFrameCount> frame_regions;              // at scale
  int32_t scale = 0;         // of frame_regions; 0 before the first rescale
};

// Reads the three bitmaps (each a packed DIB as a bitmap resource holds it, or
// a .bmp file) and builds the five frame masks. Refuses once RescaleSprites
// has run; on refusal or bad bytes returns false and changes nothing.
bool LoadSprites(Sprites& sprites, ByteView glyph_atlas, ByteView character_sheet,
                 ByteView bubble);

// Builds the composition surface and the five regions for scale (clamped to
// 1..10). False only when the sprites were never loaded.
bool RescaleSprites(Sprites& sprites, int32_t scale);

// Frees everything; safe to call again and on a partly built record.
void FreeSprites(Sprites& sprites);

// The masks of the five frames: inside the bubble box the bubble decides,
// inside the rest of the character box the frame's pixels, elsewhere 0.
std::array<std::vector<uint8_t>, kFrameCount> BuildFrameMasks(const Surface& character_sheet,
                                                             const Surface& bubble);
