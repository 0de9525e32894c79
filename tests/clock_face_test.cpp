// The clock face drawn from the committed glyph atlas, as pictures. When the
// artwork changes on purpose, each failure prints the new picture to paste in.

#include "render/clock_face.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "behaviour/behaviour_state.h"
#include "render/paint.h"
#include "render/sprites.h"
#include "render_fixtures.h"
#include "render_synthetic.h"

namespace {

const uint32_t kWhite = Rgb(255, 255, 255);

struct Golden {
  const char* name;
  std::function<void(Surface&, const Surface&)> draw;
  int32_t left, top, width, height;
  const char* picture;
};

void CheckGoldens(const std::vector<Golden>& goldens) {
  Surface atlas;
  ASSERT_TRUE(fixture::LoadGeneratedAtlas(atlas));
  for (const Golden& g : goldens) {
    SCOPED_TRACE(g.name);
    Surface picture = MakeSurface(kPictureWidth, kPictureHeight, kWhite);
    g.draw(picture, atlas);
    EXPECT_EQ(fixture::GridOf(picture, g.left, g.top, g.width, g.height),
              fixture::Canonical(g.picture));
  }
}

auto TimeRow(int32_t h, int32_t m, int32_t s, bool hour24) {
  return [=](Surface& p, const Surface& a) {
    DrawClockRow(p, a, h, m, s, s % 2 != 0, false, hour24, Mode::Idle);
  };
}

auto AlarmRow(int32_t h, int32_t m, int32_t s, Mode mode) {
  return [=](Surface& p, const Surface& a) {
    DrawClockRow(p, a, h, m, s, s % 2 != 0, true, false, mode);
  };
}

auto DateRow(int32_t month, int32_t day, int32_t weekday) {
  return [=](Surface& p, const Surface& a) { DrawDateRow(p, a, month, day, weekday); };
}

TEST(ClockFaceGolden, TimeRow) {
  CheckGoldens({
      {"12-hour 00:05 is 0:05 AM without hour tens",
       TimeRow(0, 5, 0, false), 3, 10, 48, 7, R"(
          ..........####.......####...######..............
          .........##..##.....##..##..##..................
          .........##..##.....##..##..#####...............
          .........##..##.....##..##......##..............
          .........##..##.....##..##......##...###..##.##.
          .........##..##.....##..##..##..##..#####.#.#.#.
          ..........####.......####....####...#...#.#...#.)"},
      {"12-hour 12:30 is 0:30 PM",
       TimeRow(12, 30, 0, false), 3, 10, 48, 7, R"(
          ..........####......#####....####...............
          .........##..##.........##..##..##..............
          .........##..##.........##..##..##..............
          .........##..##......####...##..##..............
          .........##..##.........##..##..##..####..##.##.
          .........##..##.........##..##..##..#.##..#.#.#.
          ..........####......#####....####...#.....#...#.)"},
      {"12-hour 11:59 on an odd second, tens at 4 and the colon",
       TimeRow(11, 59, 1, false), 3, 10, 48, 7, R"(
          .....##......##.....######...####...............
          .....##......##..#..##......##..##..............
          .....##......##.....#####...##..##..............
          .....##......##.........##...#####..............
          .....##......##.........##......##...###..##.##.
          .....##......##..#..##..##......##..#####.#.#.#.
          .....##......##......####....####...#...#.#...#.)"},
      {"24-hour 07:08:09 on an odd second with both colons",
       TimeRow(7, 8, 9, true), 3, 10, 48, 7, R"(
          ...####..######....####...####.....####...####..
          ..##..##.....##.#.##..##.##..##.#.##..##.##..##.
          ..##..##....##....##..##.##..##...##..##.##..##.
          ..##..##...##.....##..##..####....##..##..#####.
          ..##..##...##.....##..##.##..##...##..##.....##.
          ..##..##...##...#.##..##.##..##.#.##..##.....##.
          ...####....##......####...####.....####...####..)"},
      {"24-hour 07:08:08 on an even second without colons",
       TimeRow(7, 8, 8, true), 3, 10, 48, 7, R"(
          ...####..######....####...####.....####...####..
          ..##..##.....##...##..##.##..##...##..##.##..##.
          ..##..##....##....##..##.##..##...##..##.##..##.
          ..##..##...##.....##..##..####....##..##..####..
          ..##..##...##.....##..##.##..##...##..##.##..##.
          ..##..##...##.....##..##.##..##...##..##.##..##.
          ...####....##......####...####.....####...####..)"},
  });
}

TEST(ClockFaceGolden, DateRow) {
  CheckGoldens({
      {"1 January, a Monday in black",
       DateRow(1, 1, 1), 3, 4, 48, 5, R"(
          ........#........#.......##.#...#..###..#...#.##
          .......##...#...##.......#..##.##.#...#.##..#..#
          ........#..#.....#.......#..#.#.#.#...#.#.#.#..#
          ........#.#......#.......#..#...#.#...#.#..##..#
          ........#........#.......##.#...#..###..#...#.##)"},
      {"12 December, a Saturday in blue",
       DateRow(12, 12, 6), 3, 4, 48, 5, R"(
          ...#.###.........#.###...##..bbbb..bbb..bbbbb.##
          ..##....#...#...##....#..#..b.....b...b...b....#
          ...#..##...#.....#..##...#...bbb..bbbbb...b....#
          ...#.#....#......#.#.....#......b.b...b...b....#
          ...#.####........#.####..##.bbbb..b...b...b...##)"},
  });
}

TEST(ClockFaceGolden, AlarmRow) {
  CheckGoldens({
      {"steady tag while idle, even second",
       AlarmRow(7, 30, 0, Mode::Idle), 5, 18, 46, 5, R"(
          rrrrrrrrrrrrrrrrrrrrr....##..####...###...##..
          rrr...rrr.rrrr..r..rr...#..#....#......#.#..#.
          rr.....rr.rrrr.r.r.rr...#..#...#.....##..#..#.
          rr.rrr.rr...rr.rrr.rr...#..#..#........#.#..#.
          rrrrrrrrrrrrrrrrrrrrr....##...#.....###...##..)"},
      {"no tag on an even second while an alarm runs",
       AlarmRow(7, 30, 0, Mode::AlarmRun), 5, 18, 46, 5, R"(
          .........................##..####...###...##..
          ........................#..#....#......#.#..#.
          ........................#..#...#.....##..#..#.
          ........................#..#..#........#.#..#.
          .........................##...#.....###...##..)"},
      {"tag and colon on an odd second while an alarm runs",
       AlarmRow(7, 30, 1, Mode::AlarmRun), 5, 18, 46, 5, R"(
          rrrrrrrrrrrrrrrrrrrrr....##..####...###...##..
          rrr...rrr.rrrr..r..rr...#..#....#.#....#.#..#.
          rr.....rr.rrrr.r.r.rr...#..#...#.....##..#..#.
          rr.rrr.rr...rr.rrr.rr...#..#..#...#....#.#..#.
          rrrrrrrrrrrrrrrrrrrrr....##...#.....###...##..)"},
  });
}

// The bubble box of a whole paint at scale 1: Sunday's label in red,
// colons on an odd second, and an alarm at 25:00 shown as 23:00.
TEST(ClockFaceGolden, WholeBubble) {
  const std::vector<uint8_t> atlas = fixture::ReadFile(fixture::GeneratedArt("glyph_atlas.bmp"));
  const std::vector<uint8_t> bubble = fixture::ReadFile(fixture::GeneratedArt("bubble.bmp"));
  const std::vector<uint8_t> sheet = fixture::EncodeBitmap(fixture::SyntheticSheet(), false);
  Sprites sprites;
  ASSERT_TRUE(
      LoadSprites(sprites, fixture::View(atlas), fixture::View(sheet), fixture::View(bubble)));
  ASSERT_TRUE(RescaleSprites(sprites, 1));
  RenderState render;
  BehaviourState behaviour;
  behaviour.mode = Mode::Idle;
  behaviour.alarm_list = {25 * 3600};
  Settings settings;
  settings.show_alarm = true;
  settings.show_date = true;
  ComposeFrame(sprites, render, behaviour, settings, {2024, 3, 3, 0, 9, 41, 21}, {0, 0}, {0, 0}, 1);
  EXPECT_EQ(fixture::GridOf(sprites.picture, 0, 0, 56, 26), fixture::Canonical(R"(
      ---##################################################---
      -##.................................................s##-
      -#...................................................s#-
      #.....................................................s#
      #.......###......###........##..rrrr.r...r.r...r.##...s#
      #..........#...#....#.......#..r.....r...r.rr..r..#...s#
      #........##...#...##........#...rrr..r...r.r.r.r..#...s#
      #..........#.#......#.......#......r.r...r.r..rr..#...s#
      #.......###......###........##.rrrr...rrr..r...r.##...s#
      #.....................................................s#
      #............####......##..##......##.................s#
      #...........##..##..#..##..##......##.................s#
      #...........##..##.....##..##......##.................s#
      #............#####.....######......##.................s#
      #...............##.........##......##...###..##.##....s#
      #...............##..#......##......##..#####.#.#.#....s#
      #............####..........##......##..#...#.#...#....s#
      #.....................................................s#
      #....rrrrrrrrrrrrrrrrrrrrr...###..###.....##...##.....s#
      #....rrr...rrr.rrrr..r..rr......#....#.#.#..#.#..#....s#
      #....rr.....rr.rrrr.r.r.rr....##...##....#..#.#..#....s#
      #....rr.rrr.rr...rr.rrr.rr...#.......#.#.#..#.#..#....s#
      #....rrrrrrrrrrrrrrrrrrrrr...####.###.....##...##.....s#
      -#s.................................................ss#-
      -##sssssssssssssssssssssssssssssssssssssss...ssssssss##-
      ---#######################################...s#######---)"));
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
