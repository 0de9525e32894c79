#pragma once

#include <cstdint>

#include "behaviour/behaviour_platform.h"
#include "behaviour/behaviour_state.h"
#include "settings/edition.h"
#include "settings/settings.h"

// Play time in seconds by Settings.play_time.
inline constexpr int32_t play_times[4] = {5, 10, 30, 60};

// Interval of the alarm-length timer: the play time less the two seconds of
// AlarmStart. An al_time outside 0..3 counts as the nearest one.
uint32_t AlarmTimerInterval(int32_t al_time);

// Changes the mode and restarts its timeline; entering AlarmStart starts the
// sound chosen by sd, entering Idle stops it.
void SetMode(BehaviourState& state, Mode mode, const Settings& settings,
             BehaviourPlatform& platform);

// The idle cycle's blink draws fall on a nominal tick of this length from the
// cycle's start, however often the program really wakes.
inline constexpr int32_t kNominalTick = 17;

// Advances the timeline by the tick count, makes the blink draws of the
// nominal ticks passed since the previous call, chooses the pose and ends
// AlarmStart. Allocates nothing.
void BehaviourTick(BehaviourState& state, const Settings& settings, Edition edition,
                   BehaviourPlatform& platform);

// Milliseconds after the last tick at which BehaviourTick would next show
// another pose, found by running the blink draws ahead on a copy of the
// generator; limit when nothing changes sooner. Changes no state. Only the
// blinking cycle (Idle, the lite edition's AlarmRun) is foreseen: in any
// other mode it answers 0, and the caller paces the dance itself.
uint32_t NextPoseChange(const BehaviourState& state, Edition edition, uint32_t limit);

// 0..32767, the sequence of the Windows C runtime's rand() for the same seed.
int NextRandom(uint32_t& seed);
