#pragma once

#include <cstdint>

// The one set of geometry types. Screen pixels may be negative left of or
// above the main monitor; window and picture pixels count from the top-left.

struct ScreenPoint {
  int32_t x;
  int32_t y;
};

// A window's place and size on the screen.
struct ScreenRect {
  int32_t left;
  int32_t top;
  int32_t width;
  int32_t height;
};

inline bool operator==(const ScreenRect& a, const ScreenRect& b) {
  return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

// Pixels of a picture or a window; right and bottom are exclusive.
struct PixelBox {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
  bool empty() const { return right <= left || bottom <= top; }
};

inline bool operator==(const PixelBox& a, const PixelBox& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// One monitor: all of it, and the part left when the taskbars and panels
// are taken off.
struct Monitor {
  ScreenRect bounds;
  ScreenRect work;
};

// The window's picture at scale 1: the bubble box at (0, 0), the character
// box at (48, 16).
inline constexpr int32_t kPictureWidth = 88;
inline constexpr int32_t kPictureHeight = 80;

// The window at that top-left, as big as the picture at the scale.
inline constexpr ScreenRect WindowAt(ScreenPoint at, int32_t scale) {
  return {at.x, at.y, kPictureWidth * scale, kPictureHeight * scale};
}

// The top-left that keeps the window on the screen: raised to the near edges
// first, then lowered to the far ones, so that on a screen smaller than the
// window its left (top) edge lies the overhang before the screen's.
inline ScreenPoint ClampToScreen(const ScreenRect& screen, const ScreenRect& window) {
  auto clamp = [](int32_t value, int32_t origin, int32_t extent, int32_t window_extent) {
    if (value < origin) value = origin;
    const int64_t limit = static_cast<int64_t>(origin) + extent - window_extent;
    return value > limit ? static_cast<int32_t>(limit) : value;
  };
  return {clamp(window.left, screen.left, screen.width, window.width),
          clamp(window.top, screen.top, screen.height, window.height)};
}
