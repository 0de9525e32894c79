// The outline of the character and of its shadow on screen, at the scales a
// user can choose.
#include <cstdio>

#include "edition_test.h"

using namespace e2e;

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;  // the bare Xvfb root

// "" when every screen pixel outside the character's outline is the shadow's
// black where the shadow's outline lies, else the bare desktop.
std::string AroundTheCharacter(const Surface& shot, const Outline& main, const Outline& shadow,
                               int offset, bool shadow_shown) {
  int wrong = 0;
  char first[96] = {};
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      if (main.Contains(x, y)) continue;
      const bool shaded = shadow_shown && shadow.Contains(x - offset, y - offset);
      const uint32_t want = shaded ? kBlack : kWhite;
      const uint32_t got = SurfaceRow(shot, y)[x];
      if (got != want && wrong++ == 0) {
        std::snprintf(first, sizeof first, "(%d, %d) is %06X, expected %06X", x, y,
                      static_cast<unsigned>(got), static_cast<unsigned>(want));
      }
    }
  }
  return wrong ? std::to_string(wrong) + " pixels differ, first " + first : "";
}

class RegionsTest : public EditionTest {};

TEST_P(RegionsTest, BothWindowsTakeFrameZerosOutlineAtEveryScale) {
  Artwork art(edition());
  ASSERT_TRUE(art.ok());
  // The lite edition stops at x5.
  const int top_scale = edition().layered ? 10 : 5;
  for (int s : {1, 2, top_scale}) {
    SCOPED_TRACE("x" + std::to_string(s));
    const std::string dir = TestDir("x" + std::to_string(s));
    Conf conf;
    conf.viewscale = s;
    Running app = Launch(edition(), dir, conf);
    ASSERT_TRUE(app.main && app.shadow);
    const Outline expected = art.Mask(0, s);

    EXPECT_EQ(ReadWindow(app.main).rect, Rect(100, 100, 88 * s, 80 * s));
    const Outline region = ReadOutline(app.main);
    ASSERT_GT(region.width, 0) << "the main window has no region";
    EXPECT_EQ(Difference(region, expected), "");

    // The shadow stands 3s right of and below in the full edition, on top of
    // the character and hidden in the lite one.
    const int offset = edition().layered ? 3 * s : 0;
    EXPECT_EQ(ReadWindow(app.shadow).rect, Rect(100 + offset, 100 + offset, 88 * s, 80 * s));
    const Outline shadow_region = ReadOutline(app.shadow);
    ASSERT_GT(shadow_region.width, 0) << "the shadow window has no region";
    EXPECT_EQ(Difference(shadow_region, expected), "");

    // On screen: the character inside its outline, the shadow black where it
    // shows past it (plain Xvfb draws alpha 127 opaque), the desktop elsewhere;
    // polled, as the windows may still be on their way to the screen.
    const RECT around = {100, 100, 100 + 91 * s, 100 + 83 * s};
    Surface shot;
    std::string wrong;
    WaitUntil([&] {
      shot = Capture(around);
      wrong = AroundTheCharacter(shot, region, shadow_region, offset, edition().layered);
      return wrong.empty();
    }, 1000);
    EXPECT_EQ(wrong, "") << "screen pixels around the character";
    if (!wrong.empty()) SaveBitmap(JoinPath(dir, "screen.bmp"), shot);
    EXPECT_EQ(CloseAndWait(app), 0);
  }
}

E2E_FOR_BOTH_EDITIONS(RegionsTest);

// The shadow only darkens what lies under it: a click on its fringe goes to
// the window beneath, one on the character to the character.
TEST(ShadowClickTest, TheShadowsFringeBelongsToTheWindowBeneath) {
  const int s = 4;
  Conf conf;
  conf.viewscale = s;
  // Another application's window under the mascot, which stays topmost.
  // (SS_NOTIFY: a plain static control lets every point through itself.)
  HWND beneath = CreateWindowExA(0, "STATIC", "beneath", WS_POPUP | WS_VISIBLE | SS_NOTIFY, 40,
                                 40, 500, 460, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(beneath);
  Running app = Launch(kFull, TestDir(), conf);
  ASSERT_TRUE(app.main);
  const Outline main = ReadOutline(app.main);
  const Outline shadow = ReadOutline(app.shadow);
  ASSERT_GT(shadow.width, 0) << "the shadow window has no region";
  const RECT at = ReadWindow(app.main).rect;
  const int offset = 3 * s;
  int fringe = 0;
  int wrong = 0;
  std::string first;
  for (int y = 0; y < shadow.height; ++y) {
    for (int x = 0; x < shadow.width; ++x) {
      if (!shadow.Contains(x, y) || main.Contains(x + offset, y + offset)) continue;
      ++fringe;
      const POINT p = {at.left + offset + x, at.top + offset + y};
      HWND found = WindowFromPoint(p);
      if (found != beneath && wrong++ == 0) {
        first = "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ") is " +
                ReadWindow(found).class_name;
      }
    }
  }
  EXPECT_GT(fringe, 100);
  EXPECT_EQ(wrong, 0) << "of " << fringe << " fringe points, first " << first;
  // Between his lenses is his.
  const POINT face = {67 * s, 32 * s};
  ASSERT_TRUE(main.Contains(face.x, face.y));
  EXPECT_EQ(WindowFromPoint({at.left + face.x, at.top + face.y}), app.main);
  EXPECT_EQ(CloseAndWait(app), 0);
  DestroyWindow(beneath);
}

}  // namespace
