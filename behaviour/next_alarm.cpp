#include "behaviour/behaviour_state.h"

#include <cstddef>

int SelectNextAlarm(BehaviourState& state, int32_t now) {
  const std::vector<int32_t>& list = state.alarm_list;
  if (list.empty()) {
    state.next_alarm = -1;
    state.armed_alarm = -1;
    return -1;
  }
  // The first entry not before now; when every entry is before now, the first
  // entry again (tomorrow's first alarm).
  std::size_t best = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] > now && list[best] < now) best = i;
  }
  state.next_alarm = list[best];
  if (state.armed_alarm == -1) state.armed_alarm = state.next_alarm;
  return static_cast<int>(best);
}
