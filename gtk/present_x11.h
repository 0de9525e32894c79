#pragma once

#include <gdk/gdk.h>

#include <algorithm>
#include <vector>

// Not render/region.h: its Region would clash with Xutil's, which the
// X half of this file needs.
#include "render/geometry.h"
#include "render/surface.h"

// The area of the picture (its own pixels, at scale 1) enlarged scale times,
// a band of whole rows at a time through band, so that only a band is ever
// held enlarged: put gets each band and its place in the window.
template <typename Put>
void ForEachBand(const Surface& picture, int32_t scale, const PixelBox& area, Surface& band,
                 Put put) {
  constexpr int32_t kBandBytes = 128 * 1024;
  const int32_t width = area.right - area.left;
  if (scale < 1 || width <= 0) return;
  const int32_t rows = std::max(1, kBandBytes / (width * scale * scale * 4));
  for (int32_t top = area.top; top < area.bottom; top += rows) {
    const PixelBox part = {area.left, top, area.right, std::min(top + rows, area.bottom)};
    EnlargePart(picture, scale, part, band);
    if (!band.pixels.empty()) put(band, part.left * scale, part.top * scale);
  }
}

// Puts the area of the picture (premultiplied ARGB), enlarged, straight on
// the window in device pixels, as a paint would but without waiting for
// GTK's next frame and without GDK's scale. False when the window is not on
// the screen or its visual is not 24-bit RGB or 32-bit ARGB, and the caller
// lets GTK paint instead.
bool PutPicture(GdkWindow* window, const Surface& picture, int32_t scale, const PixelBox& area,
                Surface& band);

// The window's bounding and input shapes, in device pixels, set on the X
// window itself: GDK's own would take them in its scaled pixels, which
// cannot hold an odd device pixel at a desktop scale of 2.
void ShapeWindow(GdkWindow* window, const std::vector<PixelBox>& bounding,
                 const std::vector<PixelBox>& input);

// Exposed parts of the window clear to transparent, and the device pixels
// beyond the whole cells (a window a GDK pixel larger) stay so.
void ClearWindowBackground(GdkWindow* window);
