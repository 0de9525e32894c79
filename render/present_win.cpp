#include "render/present_win.h"

void PresentPicture(HDC target, const Surface& picture) {
  if (target == nullptr || picture.pixels.empty()) return;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // negative: rows are stored top first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(target, 0, 0, static_cast<DWORD>(picture.width),
                    static_cast<DWORD>(picture.height), 0, 0, 0,
                    static_cast<UINT>(picture.height), picture.pixels.data(), &info,
                    DIB_RGB_COLORS);
}
