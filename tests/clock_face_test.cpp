#include "render/clock_face.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "behaviour/behaviour_state.h"
#include "render/sprites.h"
#include "glyph_probe.h"
#include "render_fixtures.h"

namespace {

struct RowCase {
  const char* name;
  int32_t hour, minute, second;
  bool alarm_row;
  bool hour24;
  int32_t mode;
  std::vector<std::string> want;
};

TEST(DrawClockRow, EveryGlyphAtItsPlace) {
  const RowCase cases[] = {
      {"12-hour midnight shows 0 with AM and no tens", 0, 5, 0, false, false, Idle,
       {"L0@12,10", "L0@23,10", "L5@31,10", "AM@39,14"}},
      {"12-hour noon shows 0 with PM", 12, 30, 0, false, false, Idle,
       {"L0@12,10", "L3@23,10", "L0@31,10", "PM@39,14"}},
      {"12-hour 11:59 has the tens at 4 and a colon on an odd second", 11, 59, 1, false, false,
       Idle, {"L1@4,10", "L1@12,10", "colon@20,10", "L5@23,10", "L9@31,10", "AM@39,14"}},
      {"12-hour 23:00 is 11 PM", 23, 0, 0, false, false, Idle,
       {"L1@4,10", "L1@12,10", "L0@23,10", "L0@31,10", "PM@39,14"}},
      {"24-hour 07:08:09 with leading zeros and both colons", 7, 8, 9, false, true, Idle,
       {"L0@5,10", "L7@12,10", "colon@19,10", "L0@21,10", "L8@28,10", "colon@35,10", "L0@37,10",
        "L9@44,10"}},
      {"24-hour on an even second has no colons", 23, 59, 58, false, true, AlarmRun,
       {"L2@5,10", "L3@12,10", "L5@21,10", "L9@28,10", "L5@37,10", "L8@44,10"}},
      {"alarm row on an odd second while idle", 7, 30, 1, true, false, Idle,
       {"S0@29,18", "S7@34,18", "scolon@39,18", "S3@41,18", "S0@46,18", "ALM@5,18"}},
      {"alarm row keeps the tag steady while idle", 7, 30, 0, true, false, Idle,
       {"S0@29,18", "S7@34,18", "S3@41,18", "S0@46,18", "ALM@5,18"}},
      {"alarm row hides the tag on even seconds while an alarm runs", 19, 5, 0, true, true,
       AlarmStart, {"S1@29,18", "S9@34,18", "S0@41,18", "S5@46,18"}},
      {"alarm row shows the tag on odd seconds while an alarm runs", 19, 5, 59, true, false,
       AlarmRun, {"S1@29,18", "S9@34,18", "scolon@39,18", "S0@41,18", "S5@46,18", "ALM@5,18"}},
      {"alarm row is 24-hour whatever the setting", 23, 0, 0, true, false, Idle,
       {"S2@29,18", "S3@34,18", "S0@41,18", "S0@46,18", "ALM@5,18"}},
  };
  const Surface atlas = fixture::ProbeAtlas();
  for (const RowCase& c : cases) {
    SCOPED_TRACE(c.name);
    Surface picture = MakeSurface(kPictureWidth, kPictureHeight, Rgb(255, 255, 255));
    DrawClockRow(picture, atlas, c.hour, c.minute, c.second, c.second % 2 != 0, c.alarm_row,
                 c.hour24, c.mode);
    std::vector<std::string> want = c.want;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(fixture::Placed(picture), want);
  }
}

TEST(DrawDateRow, MonthRightOfTheSlashDayLeftOfIt) {
  struct DateCase {
    int32_t month, day, weekday;
    std::vector<std::string> want;
  };
  const DateCase cases[] = {
      {1, 1, 1, {"S1@8,4", "/@13,4", "S1@17,4", "Mon@28,4"}},
      {12, 12, 6, {"S1@3,4", "S2@8,4", "/@13,4", "S1@17,4", "S2@22,4", "Sat@28,4"}},
      {10, 9, 0, {"S1@3,4", "S0@8,4", "/@13,4", "S9@17,4", "Sun@28,4"}},
      {9, 30, 3, {"S9@8,4", "/@13,4", "S3@17,4", "S0@22,4", "Wed@28,4"}},
  };
  const Surface atlas = fixture::ProbeAtlas();
  for (const DateCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.month << "/" << c.day);
    Surface picture = MakeSurface(kPictureWidth, kPictureHeight, Rgb(255, 255, 255));
    DrawDateRow(picture, atlas, c.month, c.day, c.weekday);
    std::vector<std::string> want = c.want;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(fixture::Placed(picture), want);
  }
}

TEST(AtlasTransfer, BlackMaskTakesTheColourWhiteMaskKeepsTheTarget) {
  // The large 0 cell: a 2 x 2 glyph, black and red over a black-and-white mask.
  Surface atlas = MakeSurface(kAtlasWidth, kAtlasHeight, 0);
  for (int32_t y = kAtlasMaskOffset; y < kAtlasHeight; ++y) {
    std::fill_n(SurfaceRow(atlas, y), kAtlasWidth, Rgb(255, 255, 255));
  }
  fixture::Stamp(atlas, 0, 0, "#r\n##");
  fixture::Stamp(atlas, 0, kAtlasMaskOffset, "##\n#.");
  Surface picture = fixture::SurfaceFromGrid(R"(
      yyyy
      y.sy
      yyyy)");
  DrawGlyph(picture, atlas, 1, 1, kLargeDigits, 0);
  EXPECT_EQ(fixture::GridOf(picture, 0, 0, 4, 3), fixture::Canonical(R"(
      yyyy
      y#ry
      y#yy)"));
}

TEST(AtlasTransfer, OutOfRangeNumbersDrawNothing) {
  Surface atlas = MakeSurface(kAtlasWidth, kAtlasHeight, Rgb(200, 0, 0));  // all opaque red
  const Surface blank = MakeSurface(kPictureWidth, kPictureHeight, Rgb(255, 255, 255));
  Surface picture = blank;
  for (int32_t n : {-1, 6, 7, 100, INT_MIN, INT_MAX}) DrawMark(picture, atlas, n, 10, 10);
  for (int32_t n : {-1, 10, INT_MIN}) DrawGlyph(picture, atlas, 10, 10, kLargeDigits, n);
  DrawGlyph(picture, atlas, 10, 10, 16, 1);  // not a digit column
  for (int32_t n : {-1, 7}) DrawDayLabel(picture, atlas, 10, 10, n);
  EXPECT_EQ(picture.pixels, blank.pixels);
  DrawMark(picture, atlas, kMarkSlash, 10, 10);  // the same atlas does draw a real mark
  EXPECT_NE(picture.pixels, blank.pixels);
}

TEST(AtlasTransfer, CellsAtTheEdgeAreClipped) {
  // Colour and mask both red: every cell pixel comes out black.
  Surface atlas = MakeSurface(kAtlasWidth, kAtlasHeight, Rgb(200, 0, 0));
  Surface picture = MakeSurface(4, 3, Rgb(255, 255, 255));
  DrawGlyph(picture, atlas, 2, -6, kSmallDigits, 3);
  DrawDayLabel(picture, atlas, -23, 2, 0);
  EXPECT_EQ(fixture::GridOf(picture, 0, 0, 4, 3), fixture::Canonical(R"(
      ..##
      ..##
      #...)"));
}

}  // namespace
