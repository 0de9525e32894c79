#pragma once

#include <cstdint>

typedef struct _GstElement GstElement;

// One player for every alarm sound. The built-in sounds are the program's
// own bytes, held in anonymous memory files, so nothing is left on disk.
struct SoundState {
  bool tried = false;            // GStreamer was started, or failed to start
  GstElement* player = nullptr;  // a playbin, made at the first sound; null without GStreamer
  bool loop = false;             // the sound starts again at its end
  int ok_fd = -1;                // memory file of the OK sound
  int laugh_fd = -1;             // memory file of the LAUGH sound
};

// A built-in sound by its resource id; unknown ids give silence.
void PlayBuiltInSound(SoundState& sound, int resource_id, bool loop);
// The user's WAVE file; a missing or broken one gives silence.
void PlaySoundPath(SoundState& sound, const char* path, bool loop);
void StopPlaying(SoundState& sound);
void FreeSound(SoundState& sound);
