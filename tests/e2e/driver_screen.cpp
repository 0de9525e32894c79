// Outlines, screenshots and the pictures the rendering core says belong on
// screen: the half of the driver that reads what the mascot shows.
#include <algorithm>
#include <cstdio>

#include "driver.h"
#include "resources/resource_ids.h"
#include "tools/whole_picture.h"

namespace e2e {

int Outline::Area() const {
  int n = 0;
  for (uint8_t i : in) n += i;
  return n;
}

Outline ReadOutline(HWND window) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  Outline out;
  if (GetWindowRgn(window, region) != ERROR) {
    // Wine merges a shaped region into few rectangles, so only the pixels count.
    const RECT r = ReadWindow(window).rect;
    out.width = r.right - r.left;
    out.height = r.bottom - r.top;
    out.in.assign(static_cast<size_t>(out.width) * out.height, 0);
    const DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<char> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (size && GetRegionData(region, size, data) == size) {
      const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
      for (DWORD i = 0; i < data->rdh.nCount; ++i) {
        for (LONG y = std::max(rects[i].top, 0L); y < std::min<LONG>(rects[i].bottom, out.height); ++y) {
          for (LONG x = std::max(rects[i].left, 0L); x < std::min<LONG>(rects[i].right, out.width); ++x) {
            out.in[y * out.width + x] = 1;
          }
        }
      }
    }
  }
  DeleteObject(region);
  return out;
}

Outline Magnify(const Outline& one, int s) {
  return {one.width * s, one.height * s, Enlarge(one.in, one.width, one.height, s)};
}

std::string Difference(const Outline& actual, const Outline& expected) {
  if (actual.width != expected.width || actual.height != expected.height) {
    return "size " + std::to_string(actual.width) + "x" + std::to_string(actual.height) +
           ", expected " + std::to_string(expected.width) + "x" + std::to_string(expected.height);
  }
  int count = 0;
  std::string first;
  for (int y = 0; y < actual.height; ++y) {
    for (int x = 0; x < actual.width; ++x) {
      const bool a = actual.Contains(x, y);
      if (a != expected.Contains(x, y) && count++ == 0) {
        first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " + (a ? "in" : "out");
      }
    }
  }
  return count ? std::to_string(count) + " pixels differ, first " + first : "";
}

Surface Capture(const RECT& r) {
  Surface shot = MakeSurface(r.right - r.left, r.bottom - r.top);
  if (shot.width <= 0 || shot.height <= 0) return {};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < shot.pixels.size(); ++i) shot.pixels[i] = pixels[i] & 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(dib);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

Surface Capture(HWND window) { return Capture(ReadWindow(window).rect); }

namespace {

// Visits the pixels of a scale-1 box, multiplied out, that lie in the shot.
template <typename Visit>
void EachPixel(const Surface& shot, int scale, RECT box, Visit visit) {
  for (int y = box.top * scale; y < box.bottom * scale && y < shot.height; ++y) {
    for (int x = box.left * scale; x < box.right * scale && x < shot.width; ++x) {
      visit(x, y, SurfaceRow(shot, y)[x]);
    }
  }
}

}  // namespace

int CountDark(const Surface& shot, int scale, RECT box) {
  int n = 0;
  EachPixel(shot, scale, box, [&](int, int, uint32_t p) {
    if ((p >> 16 & 0xFF) < 80 && (p >> 8 & 0xFF) < 80 && (p & 0xFF) < 80) ++n;
  });
  return n;
}

std::vector<uint32_t> Crop(const Surface& shot, int scale, RECT box) {
  std::vector<uint32_t> pixels;
  EachPixel(shot, scale, box, [&](int, int, uint32_t p) { pixels.push_back(p); });
  return pixels;
}

std::string PictureDifference(const Surface& shot, const Surface& expected, const Outline& inside,
                              int scale, RECT box) {
  if (shot.width != expected.width || shot.height != expected.height) {
    return "screenshot " + std::to_string(shot.width) + "x" + std::to_string(shot.height) +
           ", expected " + std::to_string(expected.width) + "x" + std::to_string(expected.height);
  }
  int count = 0;
  char first[128] = {};
  EachPixel(shot, scale, box, [&](int x, int y, uint32_t a) {
    const uint32_t b = SurfaceRow(expected, y)[x];
    if (!inside.Contains(x, y) || a == b || count++ > 0) return;
    std::snprintf(first, sizeof first, "(%d, %d) is %06X, expected %06X", x, y,
                  static_cast<unsigned>(a), static_cast<unsigned>(b));
  });
  return count ? std::to_string(count) + " pixels differ, first " + first : "";
}

void SaveBitmap(const std::string& path, const Surface& picture) {
  const int row = (picture.width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = picture.width;
  info.biHeight = picture.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(row * picture.height);
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  for (int y = picture.height - 1; y >= 0; --y) {
    std::string line(static_cast<size_t>(row), '\0');
    for (int x = 0; x < picture.width; ++x) {
      const uint32_t p = SurfaceRow(picture, y)[x];
      line[x * 3] = static_cast<char>(p);
      line[x * 3 + 1] = static_cast<char>(p >> 8);
      line[x * 3 + 2] = static_cast<char>(p >> 16);
    }
    bytes += line;
  }
  WriteFileBytes(path, bytes);
}

namespace {

ByteView BitmapResource(HMODULE module, int id) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));  // RT_BITMAP
  if (!found) return {};
  HGLOBAL loaded = LoadResource(module, found);
  return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(module, found)};
}

}  // namespace

Artwork::Artwork(const Program& program) {
  // The program's own bitmaps, so the expected pictures are drawn from what it shows.
  module_ = LoadAsData(program);
  if (!module_) return;
  ok_ = LoadSprites(sprites_, BitmapResource(module_, IDB_GLYPH_ATLAS),
                    BitmapResource(module_, IDB_CHARACTER_SHEET),
                    BitmapResource(module_, IDB_BUBBLE_IMAGE));
}

Artwork::~Artwork() {
  FreeSprites(sprites_);
  if (module_) FreeLibrary(module_);
}

Outline Artwork::Mask(int frame, int scale) const {
  Outline one;
  one.width = kPictureWidth;
  one.height = kPictureHeight;
  one.in.assign(static_cast<size_t>(one.width) * one.height, 0);
  if (ok_) one.in = sprites_.frame_masks[frame];
  return Magnify(one, scale);
}

Surface Artwork::Picture(const Moment& m) {
  if (!ok_) return {};
  // The rescale keeps the masks and only rebuilds what depends on the scale.
  if (sprites_.scale != m.settings.scale) RescaleSprites(sprites_, m.settings.scale);
  BehaviourState behaviour;
  behaviour.mode = m.mode;
  behaviour.pose = m.pose;
  behaviour.alarm_list = m.alarms;
  RenderState render;
  Surface whole;
  PaintWholePicture(sprites_, render, behaviour, m.settings, m.time, {m.pointer.x, m.pointer.y},
                    {m.origin.x, m.origin.y}, 0, whole);
  return whole;
}

std::string AlarmRowAt(Artwork& art, HWND main, const Conf& conf,
                       const std::vector<int32_t>& alarms, Mode mode, bool even) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const SYSTEMTIME t = WaitForMidSecond();
    if ((t.wSecond % 2 == 0) != even) {
      Sleep(600);
      continue;
    }
    const RECT rect = ReadWindow(main).rect;
    const Surface shot = Capture(rect);
    Moment moment;
    moment.settings = SettingsOf(conf);
    moment.alarms = alarms;
    moment.time = ToLocalTime(t);
    moment.mode = mode;
    moment.origin = {rect.left, rect.top};
    return PictureDifference(shot, art.Picture(moment), art.Mask(0, conf.viewscale),
                             conf.viewscale, kAlarmRow);
  }
  return "no second of that parity";
}

}  // namespace e2e
