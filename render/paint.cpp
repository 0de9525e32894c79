#include "render/paint.h"

#include <algorithm>
#include <cstddef>

#include "render/clock_face.h"

namespace {

// Window pixels at scale 1 of the left pupil's two places: columns 62/63 and
// rows 31/32; the right pupil stands 8 columns further right.
constexpr int32_t kPupilColumn = 62;
constexpr int32_t kPupilRow = 31;
constexpr int32_t kPupilSpacing = 8;

void DrawPupils(Surface& picture, int32_t scale, ScreenPoint pointer, ScreenPoint origin) {
  // Ties go left and up: the pupils move only once the pointer is past the
  // line between the two places.
  const int32_t column = kPupilColumn + (pointer.x > origin.x + (kPupilColumn + 1) * scale);
  const int32_t row = kPupilRow + (pointer.y > origin.y + (kPupilRow + 1) * scale);
  for (int32_t y = row; y < row + 2; ++y) {
    uint32_t* line = SurfaceRow(picture, y);
    line[column] = kPupilColour;
    line[column + kPupilSpacing] = kPupilColour;
  }
}

}  // namespace

int32_t ComposeFrame(Sprites& sprites, RenderState& render, BehaviourState& behaviour,
                     const Settings& settings, const LocalTime& time, ScreenPoint pointer,
                     ScreenPoint window_origin, uint32_t tick) {
  const bool known_mode = behaviour.mode >= Mode::Idle && behaviour.mode <= Mode::AlarmRun;
  const bool known_pose = behaviour.pose >= 0 && behaviour.pose < kFrameCount;
  const int32_t frame = known_mode && known_pose ? behaviour.pose : 0;
  const bool ready = sprites.scale > 0 && !sprites.character_sheet.pixels.empty();
  Surface& picture = sprites.picture;

  if (ready) {
    CopyRect(sprites.character_sheet, kFrameWidth * frame, 0, kFrameWidth, kFrameHeight, picture,
             kFrameLeft, kFrameTop);
    if (frame == 0) DrawPupils(picture, sprites.scale, pointer, window_origin);
    // The bubble goes over the character whole, key colour included.
    CopyRect(sprites.bubble, 0, 0, kBubbleWidth, kBubbleHeight, picture, 0, 0);
  }

  behaviour.now_sec = SecondOfDay(time);
  const bool blink = time.second % 2 != 0;
  if (ready) {
    DrawClockRow(picture, sprites.atlas, time.hour, time.minute, time.second, blink, false,
                 settings.hour24, behaviour.mode);
    if (settings.show_date) DrawDateRow(picture, sprites.atlas, time.month, time.day, time.weekday);
  }

  const int shown = SelectNextAlarm(behaviour, behaviour.now_sec);
  if (ready && shown >= 0 && settings.show_alarm) {
    const int32_t t = behaviour.alarm_list[static_cast<std::size_t>(shown)];
    DrawClockRow(picture, sprites.atlas, std::min(t / 3600, 23), std::min(t / 60 % 60, 59),
                 std::min(t % 60, 59), blink, true, settings.hour24, behaviour.mode);
  }

  render.painted_pose = frame;
  render.painted_sec = behaviour.now_sec;
  render.last_paint_tick = tick;
  return frame;
}
