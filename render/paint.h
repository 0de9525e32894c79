#pragma once

#include <cstdint>

#include "behaviour/behaviour_state.h"
#include "render/sprites.h"
#include "settings/settings.h"

// The local time as the clock reports it, read once per paint.
struct LocalTime {
  int32_t year;
  int32_t month;    // 1..12
  int32_t day;      // 1..31
  int32_t weekday;  // 0 Sunday .. 6 Saturday
  int32_t hour;     // 0..23
  int32_t minute;
  int32_t second;
  int32_t millisecond = 0;  // 0..999, only for when the next second begins
  int32_t utc_offset = 0;   // seconds east of UTC, summer time included
};

inline int32_t SecondOfDay(const LocalTime& time) {
  return time.hour * 3600 + time.minute * 60 + time.second;
}


// What the last paint did, for the tick timer's repaint test.
struct RenderState {
  int32_t painted_pose = 0;      // frame the last paint drew
  uint32_t last_paint_tick = 0;  // tick count at the end of the last paint, ms
  int32_t painted_sec = -1;      // local time the last paint showed, seconds since midnight
};

inline constexpr uint32_t kPupilColour = Rgb(128, 128, 128);

// Composes one whole picture of the main window at scale 1 into
// sprites.picture: the character in its pose (frame 0 with pupils looking
// towards pointer, the scale placing the pupils' lines), the bubble over it,
// the clock face for time and, when the settings ask, the date and the next
// alarm. Publishes behaviour.now_sec and, through SelectNextAlarm, the next
// alarm; records the frame and tick in render. Returns the frame drawn. The
// caller enlarges what it needs of it.
int32_t ComposeFrame(Sprites& sprites, RenderState& render, BehaviourState& behaviour,
                     const Settings& settings, const LocalTime& time, ScreenPoint pointer,
                     ScreenPoint window_origin, uint32_t tick);
