#pragma once

// The whole picture of one moment enlarged to the sprites' scale, as the
// windows receive it piece by piece: for the preview tool, the benchmarks
// and the tests, which compare or write all of it at once.

#include "render/paint.h"

inline int32_t PaintWholePicture(Sprites& sprites, RenderState& render, BehaviourState& behaviour,
                                 const Settings& settings, const LocalTime& time,
                                 ScreenPoint pointer, ScreenPoint window_origin, uint32_t tick,
                                 Surface& out) {
  const int32_t frame =
      ComposeFrame(sprites, render, behaviour, settings, time, pointer, window_origin, tick);
  if (sprites.scale > 0 && !sprites.character_sheet.pixels.empty()) {
    EnlargePart(sprites.picture, sprites.scale, {0, 0, kPictureWidth, kPictureHeight}, out);
  }
  return frame;
}
