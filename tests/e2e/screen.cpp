#include "screen.h"

#include <cstdio>

#include "resources/resource_ids.h"

namespace e2e {

bool ReadRegion(HWND window, PixelSet& out) {
  RECT rect;
  GetWindowRect(window, &rect);
  out.width = rect.right - rect.left;
  out.height = rect.bottom - rect.top;
  out.in.assign(static_cast<size_t>(out.width) * out.height, 0);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  const int kind = GetWindowRgn(window, region);
  bool ok = kind != ERROR;
  if (ok) {
    // Wine merges a shaped region into few rectangles, so only the pixels count.
    const DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<char> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    ok = size && GetRegionData(region, size, data) == size;
    const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; ok && i < data->rdh.nCount; ++i) {
      for (LONG y = rects[i].top; y < rects[i].bottom; ++y) {
        for (LONG x = rects[i].left; x < rects[i].right; ++x) {
          if (x >= 0 && y >= 0 && x < out.width && y < out.height) out.in[y * out.width + x] = 1;
        }
      }
    }
  }
  DeleteObject(region);
  return ok;
}

std::string Difference(const PixelSet& actual, const PixelSet& expected) {
  if (actual.width != expected.width || actual.height != expected.height) {
    return "size " + std::to_string(actual.width) + "x" + std::to_string(actual.height) +
           ", expected " + std::to_string(expected.width) + "x" + std::to_string(expected.height);
  }
  int count = 0;
  std::string first;
  for (int y = 0; y < actual.height; ++y) {
    for (int x = 0; x < actual.width; ++x) {
      const bool a = actual.Contains(x, y);
      if (a == expected.Contains(x, y)) continue;
      if (count++ == 0) {
        first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " +
                (a ? "in" : "out");
      }
    }
  }
  return count ? std::to_string(count) + " pixels differ, first " + first : "";
}

Surface Capture(const RECT& r) {
  Surface shot = MakeSurface(r.right - r.left, r.bottom - r.top);
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

Settings SettingsOf(const Conf& conf) {
  Settings settings;
  settings.viewscale = conf.viewscale;
  settings.shadow = conf.shadow != 0;
  settings.alerm = conf.alerm != 0;
  settings.hour24 = conf.hour24 != 0;
  settings.topmost = conf.topmost != 0;
  settings.movelock = conf.movelock != 0;
  settings.calendar = conf.calendar != 0;
  settings.hide = conf.hide != 0;
  return settings;
}

std::string AlarmFileText(const std::vector<int32_t>& alarms) {
  std::string text;
  for (int32_t t : alarms) text += ClockText(t) + "\r\n";
  return text;
}

namespace {

ByteView BitmapResource(HMODULE module, int id) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));  // RT_BITMAP
  if (!found) return {};
  HGLOBAL loaded = LoadResource(module, found);
  return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(module, found)};
}

}  // namespace

Artwork::Artwork(const Edition& edition) {
  // The program's own bitmaps, so the expected pictures are drawn from what it shows.
  module_ = LoadLibraryExA(JoinPath(DriverDir(), edition.exe).c_str(), nullptr,
                           LOAD_LIBRARY_AS_DATAFILE);
  if (!module_) return;
  ok_ = LoadSprites(sprites_, BitmapResource(module_, IDB_GLYPH_ATLAS),
                    BitmapResource(module_, IDB_CHARACTER_SHEET),
                    BitmapResource(module_, IDB_BUBBLE_IMAGE));
}

Artwork::~Artwork() {
  FreeSprites(sprites_);
  if (module_) FreeLibrary(module_);
}

PixelSet Artwork::Mask(int frame, int scale) {
  PixelSet set;
  set.width = kPictureWidth * scale;
  set.height = kPictureHeight * scale;
  set.in.assign(static_cast<size_t>(set.width) * set.height, 0);
  if (!ok_) return set;
  const std::vector<uint8_t>& mask = sprites_.frame_masks[frame];
  for (int y = 0; y < set.height; ++y) {
    for (int x = 0; x < set.width; ++x) {
      set.in[y * set.width + x] = mask[(y / scale) * kPictureWidth + x / scale];
    }
  }
  return set;
}

Surface Artwork::Picture(const Moment& m) {
  if (!ok_) return {};
  // The rescale keeps the masks and only rebuilds what depends on the scale.
  if (sprites_.scale != m.settings.viewscale) RescaleSprites(sprites_, m.settings.viewscale);
  BehaviourState behaviour;
  behaviour.mode = m.mode;
  behaviour.pose = m.pose;
  behaviour.alarm_list = m.alarms;
  RenderState render;
  PaintFrame(sprites_, render, behaviour, m.settings, m.time, {m.pointer.x, m.pointer.y},
             {m.origin.x, m.origin.y}, 0);
  return sprites_.compose_surface;
}

std::string PictureDifference(const Surface& shot, const Surface& expected, const PixelSet& inside,
                              int scale, Box box) {
  if (shot.width != expected.width || shot.height != expected.height) {
    return "screenshot " + std::to_string(shot.width) + "x" + std::to_string(shot.height) +
           ", expected " + std::to_string(expected.width) + "x" + std::to_string(expected.height);
  }
  int count = 0;
  char first[128] = {};
  for (int y = box.top * scale; y < (box.top + box.height) * scale; ++y) {
    for (int x = box.left * scale; x < (box.left + box.width) * scale; ++x) {
      if (!inside.Contains(x, y)) continue;
      const uint32_t a = SurfaceRow(shot, y)[x];
      const uint32_t b = SurfaceRow(expected, y)[x];
      if (a == b) continue;
      if (count++ == 0) {
        std::snprintf(first, sizeof first, "(%d, %d) is %06X, expected %06X", x, y,
                      static_cast<unsigned>(a), static_cast<unsigned>(b));
      }
    }
  }
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

SYSTEMTIME WaitForMidSecond() {
  SYSTEMTIME t;
  for (;;) {
    GetLocalTime(&t);
    if (t.wMilliseconds >= 350 && t.wMilliseconds < 650) return t;
    Sleep(t.wMilliseconds < 350 ? 350 - t.wMilliseconds : 1350 - t.wMilliseconds);
  }
}

LocalTime ToLocalTime(const SYSTEMTIME& t) {
  return {t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond};
}

int SecondOfDay(const SYSTEMTIME& t) { return t.wHour * 3600 + t.wMinute * 60 + t.wSecond; }

std::string ClockText(int second_of_day) {
  const int s = ((second_of_day % 86400) + 86400) % 86400;
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
  return text;
}

}  // namespace e2e
