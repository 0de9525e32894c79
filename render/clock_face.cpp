#include "render/clock_face.h"

#include <algorithm>

#include "render/sprites.h"

namespace {

struct Cell {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
};

constexpr Cell kMarkCells[] = {
    {16, 64, 8, 8},   // large colon
    {24, 64, 8, 8},   // small colon
    {16, 72, 16, 4},  // AM
    {16, 76, 16, 4},  // PM
    {32, 64, 8, 8},   // slash
    {16, 56, 24, 8},  // ALM tag
};

void Transfer(Surface& target, const Surface& atlas, Cell cell, int32_t x, int32_t y) {
  if (atlas.height < kAtlasHeight || atlas.width < kAtlasWidth) return;
  const int32_t x0 = std::max(x, 0);
  const int32_t y0 = std::max(y, 0);
  const int32_t x1 = std::min(x + cell.width, target.width);
  const int32_t y1 = std::min(y + cell.height, target.height);
  for (int32_t ty = y0; ty < y1; ++ty) {
    const int32_t ay = cell.y + ty - y;
    const uint32_t* colour = SurfaceRow(atlas, ay);
    const uint32_t* mask = SurfaceRow(atlas, ay + kAtlasMaskOffset);
    uint32_t* out = SurfaceRow(target, ty);
    for (int32_t tx = x0; tx < x1; ++tx) {
      const int32_t ax = cell.x + tx - x;
      out[tx] = (out[tx] & mask[ax]) ^ colour[ax];
    }
  }
}

}  // namespace

void DrawGlyph(Surface& target, const Surface& atlas, int32_t x, int32_t y, int32_t set,
               int32_t digit) {
  if (digit < 0 || digit > 9 || (set != kLargeDigits && set != kSmallDigits)) return;
  Transfer(target, atlas, {set, 8 * digit, 8, 8}, x, y);
}

void DrawDayLabel(Surface& target, const Surface& atlas, int32_t x, int32_t y, int32_t weekday) {
  if (weekday < 0 || weekday > 6) return;
  Transfer(target, atlas, {16, 8 * weekday, 24, 8}, x, y);
}

void DrawMark(Surface& target, const Surface& atlas, int32_t mark, int32_t x, int32_t y) {
  if (mark < kMarkLargeColon || mark > kMarkAlarmTag) return;
  Transfer(target, atlas, kMarkCells[mark], x, y);
}

void DrawClockRow(Surface& target, const Surface& atlas, int32_t hour, int32_t minute,
                  int32_t second, bool blink, bool alarm_row, bool hour24, Mode mode) {
  if (alarm_row) {
    constexpr int32_t y = 18;
    DrawGlyph(target, atlas, 29, y, kSmallDigits, hour / 10);
    DrawGlyph(target, atlas, 34, y, kSmallDigits, hour % 10);
    if (blink) DrawMark(target, atlas, kMarkSmallColon, 39, y);
    DrawGlyph(target, atlas, 41, y, kSmallDigits, minute / 10);
    DrawGlyph(target, atlas, 46, y, kSmallDigits, minute % 10);
    // Steady while idle; while an alarm runs it flashes with the colons.
    if (blink || mode == Mode::Idle) DrawMark(target, atlas, kMarkAlarmTag, 5, y);
    return;
  }
  constexpr int32_t y = 10;
  if (hour24) {
    DrawGlyph(target, atlas, 5, y, kLargeDigits, hour / 10);
    DrawGlyph(target, atlas, 12, y, kLargeDigits, hour % 10);
    if (blink) DrawMark(target, atlas, kMarkLargeColon, 19, y);
    DrawGlyph(target, atlas, 21, y, kLargeDigits, minute / 10);
    DrawGlyph(target, atlas, 28, y, kLargeDigits, minute % 10);
    if (blink) DrawMark(target, atlas, kMarkLargeColon, 35, y);
    DrawGlyph(target, atlas, 37, y, kLargeDigits, second / 10);
    DrawGlyph(target, atlas, 44, y, kLargeDigits, second % 10);
    return;
  }
  // Midnight and noon both show 0, not 12.
  const int32_t shown = hour % 12;
  if (shown >= 10) DrawGlyph(target, atlas, 4, y, kLargeDigits, shown / 10);
  DrawGlyph(target, atlas, 12, y, kLargeDigits, shown % 10);
  if (blink) DrawMark(target, atlas, kMarkLargeColon, 20, y);
  DrawGlyph(target, atlas, 23, y, kLargeDigits, minute / 10);
  DrawGlyph(target, atlas, 31, y, kLargeDigits, minute % 10);
  DrawMark(target, atlas, hour < 12 ? kMarkAm : kMarkPm, 39, 14);
}

void DrawDateRow(Surface& target, const Surface& atlas, int32_t month, int32_t day,
                 int32_t weekday) {
  constexpr int32_t y = 4;
  // The month stands right-aligned against the slash, the day left-aligned after it.
  if (month >= 10) DrawGlyph(target, atlas, 3, y, kSmallDigits, month / 10);
  DrawGlyph(target, atlas, 8, y, kSmallDigits, month % 10);
  DrawMark(target, atlas, kMarkSlash, 13, y);
  if (day >= 10) {
    DrawGlyph(target, atlas, 17, y, kSmallDigits, day / 10);
    DrawGlyph(target, atlas, 22, y, kSmallDigits, day % 10);
  } else {
    DrawGlyph(target, atlas, 17, y, kSmallDigits, day);
  }
  DrawDayLabel(target, atlas, 28, y, weekday);
}
