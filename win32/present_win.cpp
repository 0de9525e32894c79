#include "win32/present_win.h"

void PresentPicture(HDC target, const Surface& picture, int32_t x, int32_t y) {
  if (target == nullptr || picture.pixels.empty()) return;
  // A top-down DIB, so that the transfer starts at its first row whichever
  // way a driver counts source rows.
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(target, x, y, static_cast<DWORD>(picture.width),
                    static_cast<DWORD>(picture.height), 0, 0, 0,
                    static_cast<UINT>(picture.height), picture.pixels.data(), &info,
                    DIB_RGB_COLORS);
}
