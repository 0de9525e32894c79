#pragma once

#include <windows.h>

#include "render/region.h"

// A new GDI region made of the rectangles; the caller owns it (DeleteObject,
// or hand it to SetWindowRgn). An empty list gives an empty region.
HRGN CreateRegionFromRects(const Region& region);
