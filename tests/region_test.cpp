#include "render/region.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render/sprites.h"
#include "render_fixtures.h"
#include "render_synthetic.h"

namespace {

struct Mask {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> bytes;
};

// '#' is part of the window, '.' see-through.
Mask MaskFromGrid(const std::string& grid) {
  const std::vector<std::string> rows = fixture::GridRows(grid);
  Mask mask{static_cast<int32_t>(rows[0].size()), static_cast<int32_t>(rows.size()), {}};
  for (const std::string& row : rows) {
    for (char c : row) mask.bytes.push_back(c == '#');
  }
  return mask;
}

// The region holds exactly the scale x scale blocks of the mask's 1 bytes,
// and no two rectangles overlap (their areas add up to the blocks' area).
void ExpectExactBlocks(const Region& region, const uint8_t* mask, int32_t width, int32_t height,
                       int32_t scale) {
  int64_t set_bytes = 0;
  for (int32_t i = 0; i < width * height; ++i) set_bytes += mask[i];
  int64_t area = 0;
  for (const PixelBox& r : region) {
    ASSERT_LT(r.left, r.right);
    ASSERT_LT(r.top, r.bottom);
    area += int64_t{r.right - r.left} * (r.bottom - r.top);
  }
  EXPECT_EQ(area, set_bytes * scale * scale);
  for (int32_t y = 0; y < height * scale; ++y) {
    for (int32_t x = 0; x < width * scale; ++x) {
      const bool want = mask[(y / scale) * width + x / scale] != 0;
      ASSERT_EQ(RegionContains(region, x, y), want) << "pixel " << x << "," << y << " at x" << scale;
    }
  }
}

struct GridCase {
  const char* name;
  const char* grid;
  size_t rects_at_scale_1;
};

const GridCase kGridCases[] = {
    {"empty", R"(
        ....
        ....)", 0},
    {"full", R"(
        #####
        #####
        #####)", 1},
    {"two columns joined below", R"(
        ##..##
        ##..##
        ......
        .####.
        .####.)", 3},
    {"corners of an odd size", R"(
        #.....#
        .......
        #.....#)", 4},
    {"checkerboard", R"(
        #.#.
        .#.#
        #.#.)", 6},
    {"outline with a hole", R"(
        #####
        #...#
        #...#
        #####)", 4},
};

TEST(BuildFrameRegion, UnionIsExactlyTheMaskBlocksAtEveryScale) {
  for (const GridCase& c : kGridCases) {
    SCOPED_TRACE(c.name);
    const Mask mask = MaskFromGrid(c.grid);
    EXPECT_EQ(BuildFrameRegion(1, mask.bytes.data(), mask.width, mask.height).size(),
              c.rects_at_scale_1);
    for (int32_t scale : {1, 2, 3, 10}) {
      SCOPED_TRACE(scale);
      const Region region = BuildFrameRegion(scale, mask.bytes.data(), mask.width, mask.height);
      EXPECT_EQ(region.size(), c.rects_at_scale_1);  // scale never adds rectangles
      ExpectExactBlocks(region, mask.bytes.data(), mask.width, mask.height, scale);
    }
  }
}

TEST(BuildFrameRegion, RectanglesComeInSortedBands) {
  const Mask mask = MaskFromGrid(R"(
      ##.##
      ##.##
      #####
      ..#..)");
  const Region region = BuildFrameRegion(2, mask.bytes.data(), mask.width, mask.height);
  const std::vector<std::vector<int32_t>> want = {
      {0, 0, 4, 4}, {6, 0, 10, 4}, {0, 4, 10, 6}, {4, 6, 6, 8}};
  ASSERT_EQ(region.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ((std::vector<int32_t>{region[i].left, region[i].top, region[i].right,
                                    region[i].bottom}),
              want[i]) << "rectangle " << i;
  }
}

// The five frames of a sprite set: exact blocks, nothing outside the two
// boxes, and a modest number of rectangles.
void CheckFrameRegions(const Sprites& sprites) {
  for (int32_t k = 0; k < kFrameCount; ++k) {
    SCOPED_TRACE("frame " + std::to_string(k));
    const uint8_t* mask = sprites.frame_masks[k].data();
    for (int32_t y = 0; y < kPictureHeight; ++y) {
      for (int32_t x = 0; x < kPictureWidth; ++x) {
        const bool in_bubble = x < kBubbleWidth && y < kBubbleHeight;
        const bool in_frame = x >= kFrameLeft && y >= kFrameTop;
        if (!in_bubble && !in_frame) {
          ASSERT_EQ(mask[y * kPictureWidth + x], 0) << x << "," << y;
        }
      }
    }
    for (int32_t scale : {1, 2, 10}) {
      SCOPED_TRACE(scale);
      const Region region = BuildFrameRegion(scale, mask, kPictureWidth, kPictureHeight);
      ExpectExactBlocks(region, mask, kPictureWidth, kPictureHeight, scale);
      EXPECT_LT(region.size(), 400u);
    }
  }
}

TEST(FrameRegions, FramesStayInsideTheirBoxes) {
  Sprites synthetic;
  ASSERT_TRUE(fixture::LoadSyntheticSprites(synthetic));
  CheckFrameRegions(synthetic);
  Sprites generated;
  ASSERT_TRUE(fixture::LoadGeneratedSprites(generated));
  CheckFrameRegions(generated);
  // Blinking keeps frame 0's region, so frame 1 must have the same outline.
  EXPECT_EQ(generated.frame_masks[0], generated.frame_masks[1]);
}

// Inside the bubble box the bubble decides, also where a frame reaches in.
void CheckOverlapRule(const Sprites& sprites) {
  for (int32_t k = 0; k < kFrameCount; ++k) {
    for (int32_t y = kFrameTop; y < kBubbleHeight; ++y) {
      for (int32_t x = kFrameLeft; x < kBubbleWidth; ++x) {
        const bool bubble = SurfaceRow(sprites.bubble, y)[x] != kKeyColour;
        ASSERT_EQ(sprites.frame_masks[k][y * kPictureWidth + x], bubble)
            << "frame " << k << " at " << x << "," << y;
      }
    }
  }
}

TEST(FrameMasks, BubbleDecidesTheOverlap) {
  Sprites sprites;
  ASSERT_TRUE(fixture::LoadSyntheticSprites(sprites));
  // The synthetic frames 2..4 reach into the overlap on key-coloured bubble
  // pixels at window (48, 35); make sure the fixture still does.
  ASSERT_NE(SurfaceRow(sprites.character_sheet, 35 - kFrameTop)[kFrameWidth * 2], kKeyColour);
  ASSERT_EQ(SurfaceRow(sprites.bubble, 35)[48], kKeyColour);
  CheckOverlapRule(sprites);
  Sprites generated;
  ASSERT_TRUE(fixture::LoadGeneratedSprites(generated));
  CheckOverlapRule(generated);
}

}  // namespace
