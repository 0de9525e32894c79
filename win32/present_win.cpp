#include "win32/present_win.h"

#include <algorithm>

void PresentPicture(HDC target, const Surface& picture, const PixelBox& area) {
  if (target == nullptr || picture.pixels.empty()) return;
  const int32_t left = std::max(area.left, 0);
  const int32_t top = std::max(area.top, 0);
  const int32_t right = std::min(area.right, picture.width);
  const int32_t bottom = std::min(area.bottom, picture.height);
  if (right <= left || bottom <= top) return;
  // The rows of the area alone make a top-down DIB of their own, so the
  // transfer starts at its first row whichever way a driver counts source rows.
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -(bottom - top);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const uint32_t* rows = SurfaceRow(picture, top);
  SetDIBitsToDevice(target, left, top, static_cast<DWORD>(right - left),
                    static_cast<DWORD>(bottom - top), left, 0, 0,
                    static_cast<UINT>(bottom - top), rows, &info, DIB_RGB_COLORS);
}
