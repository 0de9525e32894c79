#pragma once

// The character's one window on Linux, cell by cell (a cell is a pixel of the
// picture, scale x scale device pixels): his picture inside his outline, his
// shadow (the outline moved down right) where it covers no cell of his, and
// nothing elsewhere. One window carries both, so no window manager can stack
// the shadow over him.

#include <cstdint>
#include <vector>

#include "render/region.h"
#include "render/surface.h"

// Premultiplied ARGB, as an X visual of depth 32 and cairo's ARGB32 take it;
// a visual without alpha shows the shadow black.
inline constexpr uint32_t kClearCell = 0x00000000;
inline constexpr uint32_t kShadowCell = 0x80000000;  // half black
inline constexpr uint32_t kOpaque = 0xFF000000;

struct WindowLook {
  int32_t offset = -1;        // the shadow's, in cells right and down; -1: not sized yet
  std::vector<uint8_t> his;   // the picture's cells: 1 inside his outline
  std::vector<uint8_t> shade; // the picture's cells: 1 inside the shadow's outline, unmoved
  bool shadow = false;        // the shadow shows
  Surface pixels;             // the window's cells: the picture's and the offset
};

// The look sized for the shadow offset cells away; the outlines start empty.
void SizeLook(WindowLook& look, int32_t offset);
// His outline or the shadow's, from a region at the scale (window pixels).
void SetOutline(std::vector<uint8_t>& cells, const Region& outline, int32_t scale);
// The cells of box (window cells, cut to the window) from the picture; cells
// of his beyond the picture's pixels are black.
void ComposeLook(WindowLook& look, const Surface& picture, const PixelBox& box);
// The window's bounding shape at the scale: his outline and, while it shows,
// the shadow, all of it where a compositor blends its half black, else every
// other cell of it.
Region LookShape(const WindowLook& look, int32_t scale, bool blended);
