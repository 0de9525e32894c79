#pragma once

#include <cstdint>

#include "behaviour/behaviour_state.h"
#include "render/surface.h"

// The writing inside the speech bubble, drawn from the glyph atlas onto the
// picture at scale 1 (window pixels, origin at the window's top-left). Each
// cell is laid down AND mask, then XOR colour, so see-through cell pixels
// leave the picture as it was.

inline constexpr int32_t kLargeDigits = 0;  // atlas column of the 8 x 8 digits
inline constexpr int32_t kSmallDigits = 8;  // atlas column of the small digits

enum Mark : int32_t {
  kMarkLargeColon = 0,
  kMarkSmallColon = 1,
  kMarkAm = 2,
  kMarkPm = 3,
  kMarkSlash = 4,
  kMarkAlarmTag = 5,
};

// One digit cell (set, 8 digit, 8, 8); digits outside 0..9 draw nothing.
void DrawGlyph(Surface& target, const Surface& atlas, int32_t x, int32_t y, int32_t set,
               int32_t digit);

// The bracketed weekday label, weekday 0 Sunday .. 6 Saturday; others draw nothing.
void DrawDayLabel(Surface& target, const Surface& atlas, int32_t x, int32_t y, int32_t weekday);

// One of the six marks; any other number draws nothing.
void DrawMark(Surface& target, const Surface& atlas, int32_t mark, int32_t x, int32_t y);

// The time row, or with alarm_row the alarm row (always 24-hour, behind the
// ALM tag, which blinks while an alarm runs: mode other than Idle). blink is
// true on odd seconds of the local time in both uses.
void DrawClockRow(Surface& target, const Surface& atlas, int32_t hour, int32_t minute,
                  int32_t second, bool blink, bool alarm_row, bool hour24, Mode mode);

// Month 1..12 and day 1..31 around a slash, then the weekday label.
void DrawDateRow(Surface& target, const Surface& atlas, int32_t month, int32_t day,
                 int32_t weekday);
