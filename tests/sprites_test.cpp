#include "render/sprites.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "render_fixtures.h"
#include "render_synthetic.h"

namespace {

using fixture::View;

TEST(DecodeBitmap, ReadsRowsTopFirstFromEveryLayout) {
  // Width 3 gives 9 bytes of pixels and 3 of filler per stored row.
  const Surface want = fixture::SurfaceFromGrid(R"(
      #.r
      b-s)");
  std::vector<uint8_t> top_down = fixture::EncodeBitmap(fixture::SurfaceFromGrid(R"(
      b-s
      #.r)"), false);
  top_down[8] = 0xFE;  // height -2: rows stored top first
  top_down[9] = top_down[10] = top_down[11] = 0xFF;
  const std::vector<std::vector<uint8_t>> layouts = {
      fixture::EncodeBitmap(want, false), fixture::EncodeBitmap(want, true), top_down};
  for (const std::vector<uint8_t>& bytes : layouts) {
    Surface got;
    ASSERT_TRUE(DecodeBitmap(View(bytes), 3, 2, got));
    EXPECT_EQ(fixture::GridOf(got, 0, 0, 3, 2), fixture::GridOf(want, 0, 0, 3, 2));
  }
}

TEST(DecodeBitmap, SkipsAColourTableInAPackedDib) {
  const Surface want = fixture::SurfaceFromGrid("#.\n.#");
  std::vector<uint8_t> bytes = fixture::EncodeBitmap(want, false);
  bytes[32] = 2;  // two colour-table entries before the rows
  bytes.insert(bytes.begin() + 40, 8, 0x55);
  Surface got;
  ASSERT_TRUE(DecodeBitmap(View(bytes), 2, 2, got));
  EXPECT_EQ(got.pixels, want.pixels);
}

TEST(DecodeBitmap, EveryTruncationFailsCleanly) {
  const Surface image = fixture::SurfaceFromGrid(R"(
      #.r.#
      b-s-b
      .....)");
  for (bool file_header : {false, true}) {
    const std::vector<uint8_t> whole = fixture::EncodeBitmap(image, file_header);
    for (size_t size = 0; size < whole.size(); ++size) {
      const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(size));
      Surface got;
      ASSERT_FALSE(DecodeBitmap(View(cut), 5, 3, got)) << size << " bytes";
      ASSERT_TRUE(got.pixels.empty());
    }
    Surface got;
    EXPECT_TRUE(DecodeBitmap(View(whole), 5, 3, got));
  }
}

struct BadCase {
  const char* name;
  std::function<void(std::vector<uint8_t>&)> spoil;
};

TEST(LoadSprites, BadBytesFailAndChangeNothing) {
  const BadCase cases[] = {
      {"wrong width", [](std::vector<uint8_t>& b) { b[4] += 1; }},
      {"wrong height", [](std::vector<uint8_t>& b) { b[8] -= 1; }},
      {"32 bits per pixel", [](std::vector<uint8_t>& b) { b[14] = 32; }},
      {"compressed", [](std::vector<uint8_t>& b) { b[16] = 1; }},
      {"two planes", [](std::vector<uint8_t>& b) { b[12] = 2; }},
      {"header size beyond the bytes", [](std::vector<uint8_t>& b) { b[2] = 0x7F; }},
      {"huge colour table", [](std::vector<uint8_t>& b) { b[34] = 0x10; }},
      {"file header pointing past the end",
       [](std::vector<uint8_t>& b) {
         const std::vector<uint8_t> head = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0};
         b.insert(b.begin(), head.begin(), head.end());
       }},
  };
  for (const BadCase& c : cases) {
    for (int which = 0; which < 3; ++which) {
      SCOPED_TRACE(std::string(c.name) + ", bitmap " + std::to_string(which));
      fixture::SyntheticArt art;
      std::vector<uint8_t>* bitmaps[] = {&art.atlas, &art.sheet, &art.bubble};
      c.spoil(*bitmaps[which]);
      Sprites sprites;
      EXPECT_FALSE(LoadSprites(sprites, View(art.atlas), View(art.sheet), View(art.bubble)));
      EXPECT_TRUE(sprites.character_sheet.pixels.empty());
      EXPECT_TRUE(sprites.atlas.pixels.empty());
      EXPECT_TRUE(sprites.frame_masks[0].empty());
      EXPECT_FALSE(RescaleSprites(sprites, 2));
    }
  }
}

TEST(LoadSprites, RefusesOnceRescaled) {
  Sprites sprites;
  ASSERT_TRUE(fixture::LoadSyntheticSprites(sprites));
  ASSERT_TRUE(RescaleSprites(sprites, 2));
  const std::vector<uint32_t> picture = sprites.picture.pixels;
  const std::vector<uint32_t> sheet = sprites.character_sheet.pixels;
  const std::vector<uint8_t> mask = sprites.frame_masks[2];
  const size_t rects = sprites.frame_regions[2].size();

  const fixture::SyntheticArt other;  // a sheet that differs would show a change
  std::vector<uint8_t> sheet_bytes = other.sheet;
  sheet_bytes[200] ^= 0xFF;
  EXPECT_FALSE(LoadSprites(sprites, View(other.atlas), View(sheet_bytes), View(other.bubble)));
  EXPECT_EQ(sprites.picture.pixels, picture);
  EXPECT_EQ(sprites.character_sheet.pixels, sheet);
  EXPECT_EQ(sprites.frame_masks[2], mask);
  EXPECT_EQ(sprites.frame_regions[2].size(), rects);
  EXPECT_EQ(sprites.scale, 2);
}

TEST(RescaleSprites, SizesFollowTheScale) {
  struct Row {
    int32_t asked;
    int32_t used;
  };
  const Row rows[] = {{1, 1}, {2, 2}, {5, 5}, {10, 10}, {0, 1}, {-3, 1}, {11, 10}};
  Sprites sprites;
  ASSERT_TRUE(fixture::LoadSyntheticSprites(sprites));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.asked);
    ASSERT_TRUE(RescaleSprites(sprites, row.asked));
    EXPECT_EQ(sprites.scale, row.used);
    // Only the picture at scale 1 is kept: enlarged at x10 it would be megabytes.
    EXPECT_EQ(sprites.picture.width, 88);
    EXPECT_EQ(sprites.picture.height, 80);
    EXPECT_EQ(sprites.character_sheet.width, 200);
    EXPECT_EQ(sprites.character_sheet.height, 64);
    EXPECT_EQ(sprites.frame_regions[0].back().bottom, (16 + 64) * row.used);
  }
}

TEST(FreeSprites, SafeTwiceAndOnPartlyBuiltState) {
  Sprites sprites;
  FreeSprites(sprites);  // never loaded
  ASSERT_TRUE(fixture::LoadSyntheticSprites(sprites));
  FreeSprites(sprites);  // loaded, never rescaled
  EXPECT_TRUE(sprites.frame_masks[0].empty());
  ASSERT_TRUE(fixture::LoadSyntheticSprites(sprites));
  ASSERT_TRUE(RescaleSprites(sprites, 10));
  FreeSprites(sprites);
  FreeSprites(sprites);
  EXPECT_TRUE(sprites.frame_regions[4].empty());
  EXPECT_EQ(sprites.scale, 0);
  // Freed, it loads again as at start-up.
  EXPECT_TRUE(fixture::LoadSyntheticSprites(sprites));
}

TEST(Enlarge, GrowsEveryPixelToABlock) {
  const Surface small = fixture::SurfaceFromGrid(R"(
      #.r
      b-s)");
  for (int32_t scale : {1, 2, 7}) {
    Surface big = MakeSurface(3 * scale, 2 * scale);
    Enlarge(small, scale, big);
    for (int32_t y = 0; y < big.height; ++y) {
      for (int32_t x = 0; x < big.width; ++x) {
        ASSERT_EQ(SurfaceRow(big, y)[x], SurfaceRow(small, y / scale)[x / scale])
            << x << "," << y << " at x" << scale;
      }
    }
  }
}

TEST(Enlarge, APartIsThatWindowOfTheWholeCutToThePicture) {
  const Surface small = fixture::SurfaceFromGrid(R"(
      #.rb
      b-s#
      r#.-)");
  const int32_t scale = 3;
  Surface whole = MakeSurface(4 * scale, 3 * scale);
  Enlarge(small, scale, whole);
  Surface part = MakeSurface(50, 50);  // any size before: it becomes the part's
  EnlargePart(small, scale, {1, 1, 9, 2}, part);
  ASSERT_EQ(part.width, 3 * scale);
  ASSERT_EQ(part.height, 1 * scale);
  EXPECT_EQ(part.stride, part.width * 4);
  for (int32_t y = 0; y < part.height; ++y) {
    for (int32_t x = 0; x < part.width; ++x) {
      ASSERT_EQ(SurfaceRow(part, y)[x], SurfaceRow(whole, y + scale)[x + scale]) << x << "," << y;
    }
  }
  EnlargePart(small, scale, {2, 2, 2, 3}, part);
  EXPECT_TRUE(part.pixels.empty());
  EXPECT_EQ(part.width, 0);
}

}  // namespace
