// The outline of the character and of its shadow on screen, at the scales a
// user can choose.
#include <gtest/gtest.h>

#include "driver.h"
#include "screen.h"

using namespace e2e;

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;  // the bare Xvfb root

class RegionsTest : public ::testing::TestWithParam<const e2e::Edition*> {
 protected:
  const e2e::Edition& edition() const { return *GetParam(); }
};

TEST_P(RegionsTest, BothWindowsTakeFrameZerosOutlineAtEveryScale) {
  Artwork art(edition());
  ASSERT_TRUE(art.ok());
  // The lite edition stops at x5.
  const int top_scale = edition().layered ? 10 : 5;
  for (int s : {1, 2, top_scale}) {
    SCOPED_TRACE("x" + std::to_string(s));
    const std::string dir = MakeWorkDir(std::string(edition().name) + "-x" + std::to_string(s));
    Conf conf;
    conf.viewscale = s;
    WriteFileBytes(JoinPath(dir, kConfName), conf.Text());
    Running app = Launch(edition(), dir);
    ASSERT_TRUE(app.main && app.shadow);
    const PixelSet expected = art.Mask(0, s);

    const WindowInfo main = ReadWindow(app.main);
    EXPECT_EQ(main.rect.left, 100);
    EXPECT_EQ(main.rect.top, 100);
    PixelSet region;
    ASSERT_TRUE(ReadRegion(app.main, region)) << "the main window has no region";
    EXPECT_EQ(Difference(region, expected), "");

    // The shadow stands 3s right of and below in the full edition, on top of
    // the character and hidden in the lite one.
    const WindowInfo shadow = ReadWindow(app.shadow);
    const int offset = edition().layered ? 3 * s : 0;
    EXPECT_EQ(shadow.rect.left, 100 + offset);
    EXPECT_EQ(shadow.rect.top, 100 + offset);
    PixelSet shadow_region;
    ASSERT_TRUE(ReadRegion(app.shadow, shadow_region)) << "the shadow window has no region";
    EXPECT_EQ(Difference(shadow_region, expected), "");
    if (edition().layered) EXPECT_TRUE(shadow.has_alpha && shadow.alpha == 127);

    // On screen: the character inside its outline, the shadow black where it
    // shows past it (plain Xvfb draws alpha 127 opaque), the desktop elsewhere.
    const RECT around = {100, 100, 100 + 91 * s, 100 + 83 * s};
    const Surface shot = Capture(around);
    int wrong = 0;
    std::string first;
    for (int y = 0; y < shot.height && wrong < 1000; ++y) {
      for (int x = 0; x < shot.width; ++x) {
        if (region.Contains(x, y)) continue;
        const bool shaded = edition().layered && shadow_region.Contains(x - offset, y - offset);
        const uint32_t want = shaded ? kBlack : kWhite;
        const uint32_t got = SurfaceRow(shot, y)[x];
        if (got != want && wrong++ == 0) {
          first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " +
                  std::to_string(got) + ", expected " + std::to_string(want);
        }
      }
    }
    EXPECT_EQ(wrong, 0) << "screen pixels around the character, first " << first;
    if (wrong) SaveBitmap(JoinPath(dir, "screen.bmp"), shot);
    EXPECT_EQ(CloseAndWait(app), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Editions, RegionsTest, ::testing::Values(&kFull, &kLite),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
