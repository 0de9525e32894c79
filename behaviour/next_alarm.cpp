#include <algorithm>

#include "behaviour/behaviour_state.h"

int SelectNextAlarm(BehaviourState& state, int32_t now) {
  const std::vector<int32_t>& list = state.alarm_list;
  if (list.empty()) {
    state.next_alarm = -1;
    return -1;
  }
  // The first entry when it is not before now; otherwise the first entry after
  // now; when every entry is before now, the first again (tomorrow's). The list
  // is ascending, so a binary search finds it: this runs on every paint.
  auto best = list.begin();
  if (list.front() < now) {
    best = std::upper_bound(list.begin(), list.end(), now);
    if (best == list.end()) best = list.begin();
  }
  state.next_alarm = *best;
  return static_cast<int>(best - list.begin());
}
