#pragma once

#include <cstdint>
#include <vector>

#include "render/geometry.h"

// The window pixels of a region: the union of its rectangles, which never
// overlap. Rectangles come in bands sorted top to bottom, each band's
// rectangles sharing top and bottom and sorted left to right, which is the
// order a Win32 region keeps.
using Region = std::vector<PixelBox>;

// The region made of the scale x scale block of every mask byte that is 1
// (mask: width x height bytes, row-major, top row first). Runs of 1s within a
// row become one rectangle, and consecutive rows with the same runs share
// their rectangles, so a region costs a few rectangles per change of outline.
Region BuildFrameRegion(int32_t scale, const uint8_t* mask, int32_t width, int32_t height);

// Whether window pixel (x, y) lies in the region.
bool RegionContains(const Region& region, int32_t x, int32_t y);
