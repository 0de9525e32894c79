#include "render/sprites.h"

#include <algorithm>
#include <cstddef>
#include <utility>

std::array<std::vector<uint8_t>, kFrameCount> BuildFrameMasks(const Surface& character_sheet,
                                                             const Surface& bubble) {
  std::array<std::vector<uint8_t>, kFrameCount> masks;
  for (int32_t k = 0; k < kFrameCount; ++k) {
    std::vector<uint8_t>& mask = masks[k];
    mask.assign(static_cast<std::size_t>(kPictureWidth) * kPictureHeight, 0);
    for (int32_t y = 0; y < kPictureHeight; ++y) {
      for (int32_t x = 0; x < kPictureWidth; ++x) {
        uint32_t pixel = kKeyColour;
        if (x < kBubbleWidth && y < kBubbleHeight) {
          pixel = SurfaceRow(bubble, y)[x];
        } else if (x >= kFrameLeft && y >= kFrameTop) {
          pixel = SurfaceRow(character_sheet, y - kFrameTop)[kFrameWidth * k + x - kFrameLeft];
        }
        mask[static_cast<std::size_t>(y) * kPictureWidth + x] = pixel != kKeyColour;
      }
    }
  }
  return masks;
}

bool LoadSprites(Sprites& sprites, ByteView glyph_atlas, ByteView character_sheet,
                 ByteView bubble) {
  if (!sprites.character_sheet.pixels.empty()) return false;
  Surface atlas;
  Surface sheet;
  Surface bubble_image;
  if (!DecodeBitmap(glyph_atlas, kAtlasWidth, kAtlasHeight, atlas) ||
      !DecodeBitmap(character_sheet, kFrameWidth * kFrameCount, kFrameHeight, sheet) ||
      !DecodeBitmap(bubble, kBubbleWidth, kBubbleHeight, bubble_image)) {
    return false;
  }
  sprites.frame_masks = BuildFrameMasks(sheet, bubble_image);
  sprites.atlas = std::move(atlas);
  sprites.character_sheet = std::move(sheet);
  sprites.bubble = std::move(bubble_image);
  return true;
}

bool RescaleSprites(Sprites& sprites, int32_t scale) {
  if (sprites.frame_masks[0].empty()) return false;
  scale = std::clamp(scale, kMinScale, kMaxScale);
  // Outside both boxes nothing is ever drawn; key colour there keeps the
  // picture honest wherever it is looked at without its region. The enlarged
  // picture is made only when asked for.
  sprites.picture = MakeSurface(kPictureWidth, kPictureHeight, kKeyColour);
  for (int32_t k = 0; k < kFrameCount; ++k) {
    sprites.frame_regions[k] =
        BuildFrameRegion(scale, sprites.frame_masks[k].data(), kPictureWidth, kPictureHeight);
  }
  sprites.scale = scale;
  return true;
}

void FreeSprites(Sprites& sprites) {
  sprites = Sprites{};
}
