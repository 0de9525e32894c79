#include "render/paint.h"
#include "tools/whole_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "render_fixtures.h"
#include "render_synthetic.h"

namespace {

constexpr LocalTime kNoon = {2024, 6, 15, 6, 12, 34, 56};

struct Rig {
  Sprites sprites;
  RenderState render;
  BehaviourState behaviour;
  Settings settings;
  Surface whole;  // the last picture, enlarged

  explicit Rig(int32_t scale, bool real_art = false) {
    behaviour.mode = Mode::Idle;
    const bool loaded = real_art ? fixture::LoadGeneratedSprites(sprites)
                                 : fixture::LoadSyntheticSprites(sprites);
    EXPECT_TRUE(loaded && RescaleSprites(sprites, scale));
  }
  int32_t Paint(const LocalTime& time = kNoon, ScreenPoint pointer = {0, 0},
                ScreenPoint origin = {0, 0}, uint32_t tick = 1) {
    return PaintWholePicture(sprites, render, behaviour, settings, time, pointer, origin, tick,
                             whole);
  }
};

// Grey pixels of the picture at scale 1, as (x, y) pairs.
std::vector<std::pair<int32_t, int32_t>> GreyPixels(const Surface& picture) {
  std::vector<std::pair<int32_t, int32_t>> found;
  for (int32_t y = 0; y < picture.height; ++y) {
    for (int32_t x = 0; x < picture.width; ++x) {
      if (SurfaceRow(picture, y)[x] == kPupilColour) found.emplace_back(x, y);
    }
  }
  return found;
}

TEST(PaintFrame, PupilsFollowThePointerWithTiesLeftAndUp) {
  struct Row {
    int32_t dx;  // pointer minus window left, in units of scale plus a pixel offset
    int32_t dx_extra;
    int32_t dy;
    int32_t dy_extra;
    int32_t column;
    int32_t row;
  };
  const Row rows[] = {
      {63, 0, 32, 0, 62, 31},    // exactly on the line: left and up
      {63, 1, 32, 0, 63, 31},    // one pixel right
      {63, 0, 32, 1, 62, 32},    // one pixel down
      {63, 1, 32, 1, 63, 32},
      {0, -5000, 0, -5000, 62, 31},
      {200, 0, 200, 0, 63, 32},
  };
  for (int32_t scale : {1, 2, 10}) {
    Rig rig(scale);
    // A window left of and above the main monitor has a negative origin.
    for (ScreenPoint origin : {ScreenPoint{0, 0}, ScreenPoint{-1700, -400}}) {
      for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "x" << scale << " origin " << origin.x << " dx "
                                          << row.dx << "s+" << row.dx_extra << " dy " << row.dy
                                          << "s+" << row.dy_extra);
        const ScreenPoint pointer = {origin.x + row.dx * scale + row.dx_extra,
                                     origin.y + row.dy * scale + row.dy_extra};
        rig.Paint(kNoon, pointer, origin);
        const std::vector<std::pair<int32_t, int32_t>> want = {
            {row.column, row.row}, {row.column + 8, row.row},
            {row.column, row.row + 1}, {row.column + 8, row.row + 1}};
        EXPECT_EQ(GreyPixels(rig.sprites.picture), want);
        // At scale s each pupil pixel is an s x s block of the finished picture.
        const Surface& out = rig.whole;
        EXPECT_EQ(SurfaceRow(out, row.row * scale)[row.column * scale], kPupilColour);
        EXPECT_EQ(SurfaceRow(out, (row.row + 2) * scale - 1)[(row.column + 9) * scale - 1],
                  kPupilColour);
        EXPECT_NE(SurfaceRow(out, (row.row + 2) * scale)[row.column * scale], kPupilColour);
      }
    }
  }
}

TEST(PaintFrame, FrameChoiceAndNoPupilsOutsideFrameZero) {
  struct Row {
    Mode mode;
    int32_t pose;
    int32_t frame;
  };
  const Row rows[] = {
      {Mode::Idle, 0, 0},       {Mode::Idle, 1, 1},       {Mode::AlarmStart, 2, 2},
      {Mode::AlarmRun, 3, 3},   {Mode::AlarmRun, 4, 4},   {static_cast<Mode>(-1), 3, 0},
      {static_cast<Mode>(7), 4, 0}, {Mode::Idle, 5, 0},   {Mode::Idle, -1, 0},
  };
  Rig rig(2);
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << "mode " << static_cast<int>(row.mode) << " pose " << row.pose);
    rig.behaviour.mode = row.mode;
    rig.behaviour.pose = row.pose;
    EXPECT_EQ(rig.Paint(kNoon, {0, 0}, {0, 0}, 777u + static_cast<uint32_t>(row.pose)),
              row.frame);
    EXPECT_EQ(rig.render.painted_pose, row.frame);
    EXPECT_EQ(rig.render.last_paint_tick, 777u + static_cast<uint32_t>(row.pose));
    // The body below the bubble box carries the frame's own colour.
    EXPECT_EQ(SurfaceRow(rig.sprites.picture, 60)[70], fixture::BodyColour(row.frame));
    EXPECT_EQ(GreyPixels(rig.sprites.picture).size(), row.frame == 0 ? 4u : 0u);
  }
}

TEST(PaintFrame, BubbleCoversTheCharacterWholeKeyColourIncluded) {
  Rig rig(1);
  for (int32_t pose : {2, 3, 4}) {
    rig.behaviour.pose = pose;
    rig.Paint();
    const Surface& out = rig.whole;
    for (int32_t y = kFrameTop; y < kBubbleHeight; ++y) {
      for (int32_t x = kFrameLeft; x < kBubbleWidth; ++x) {
        ASSERT_EQ(SurfaceRow(out, y)[x], SurfaceRow(rig.sprites.bubble, y)[x]) << x << "," << y;
      }
    }
    // Just below the bubble box the frame's reach shows again.
    EXPECT_EQ(SurfaceRow(out, 40)[48], fixture::BodyColour(pose));
  }
}

// Whether anything was drawn on rows top..bottom of the bubble interior.
bool DrawnOn(const Sprites& sprites, int32_t top, int32_t bottom) {
  for (int32_t y = top; y <= bottom; ++y) {
    for (int32_t x = 1; x < 54; ++x) {
      if (SurfaceRow(sprites.picture, y)[x] != SurfaceRow(sprites.bubble, y)[x]) return true;
    }
  }
  return false;
}

TEST(PaintFrame, PublishesTheTimeAndTheNextAlarmAndDrawsTheRowsAsked) {
  struct Row {
    std::vector<int32_t> list;
    bool alerm, calendar;
    LocalTime time;
    int32_t now_sec, next_alarm;
    bool alarm_row;
  };
  const Row rows[] = {
      {{}, true, false, {2024, 1, 1, 1, 0, 0, 0}, 0, -1, false},
      {{}, false, true, {2024, 1, 1, 1, 23, 59, 59}, 86399, -1, false},
      {{7 * 3600, 18 * 3600}, true, true, {2024, 1, 1, 1, 8, 0, 0}, 28800, 18 * 3600, true},
      {{7 * 3600, 18 * 3600}, false, false, {2024, 1, 1, 1, 19, 0, 1}, 68401, 7 * 3600, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.now_sec);
    Rig rig(1, true);
    rig.behaviour.alarm_list = row.list;
    rig.settings.show_alarm = row.alerm;
    rig.settings.show_date = row.calendar;
    rig.Paint(row.time);
    EXPECT_EQ(rig.behaviour.now_sec, row.now_sec);
    EXPECT_EQ(rig.behaviour.next_alarm, row.next_alarm);
    EXPECT_EQ(DrawnOn(rig.sprites, 4, 8), row.calendar);
    EXPECT_TRUE(DrawnOn(rig.sprites, 10, 16));
    EXPECT_EQ(DrawnOn(rig.sprites, 18, 22), row.alarm_row);
  }
}

// Everything lies on the scale grid, so the picture at scale s is the
// picture at scale 1 with every pixel grown to an s x s block.
TEST(PaintFrame, ScaledPictureIsTheSmallOneEnlarged) {
  Rig small(1, true);
  for (int32_t scale : {2, 3, 10}) {
    Rig big(scale, true);
    for (Rig* rig : {&small, &big}) {
      rig->settings.show_alarm = true;
      rig->settings.show_date = true;
      rig->behaviour.alarm_list = {6 * 3600 + 30 * 60};
      rig->behaviour.mode = Mode::AlarmRun;
    }
    for (int32_t pose = 0; pose < kFrameCount; ++pose) {
      SCOPED_TRACE(::testing::Message() << "x" << scale << " pose " << pose);
      small.behaviour.pose = big.behaviour.pose = pose;
      const LocalTime time = {2024, 12, 31, 2, 23, 59, 59};
      small.Paint(time, {100, 20}, {0, 0});
      big.Paint(time, {100 * scale, 20 * scale}, {0, 0});
      Surface want = MakeSurface(88 * scale, 80 * scale);
      Enlarge(small.whole, scale, want);
      ASSERT_EQ(big.whole.pixels, want.pixels);
    }
  }
}

}  // namespace
