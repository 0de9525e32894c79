#include "win32/region_win.h"

#include <algorithm>
#include <cstring>
#include <vector>

HRGN CreateRegionFromRects(const Region& region) {
  if (region.empty()) return CreateRectRgn(0, 0, 0, 0);
  const DWORD count = static_cast<DWORD>(region.size());
  std::vector<unsigned char> buffer(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
  RGNDATAHEADER header = {};
  header.dwSize = sizeof(RGNDATAHEADER);
  header.iType = RDH_RECTANGLES;
  header.nCount = count;
  header.nRgnSize = count * static_cast<DWORD>(sizeof(RECT));
  header.rcBound = {region[0].left, region[0].top, region[0].right, region[0].bottom};
  std::vector<RECT> rects(count);
  for (DWORD i = 0; i < count; ++i) {
    const PixelBox& r = region[i];
    rects[i] = {r.left, r.top, r.right, r.bottom};
    header.rcBound.left = std::min<LONG>(header.rcBound.left, r.left);
    header.rcBound.top = std::min<LONG>(header.rcBound.top, r.top);
    header.rcBound.right = std::max<LONG>(header.rcBound.right, r.right);
    header.rcBound.bottom = std::max<LONG>(header.rcBound.bottom, r.bottom);
  }
  std::memcpy(buffer.data(), &header, sizeof header);
  std::memcpy(buffer.data() + sizeof header, rects.data(), count * sizeof(RECT));
  return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()),
                         reinterpret_cast<const RGNDATA*>(buffer.data()));
}
