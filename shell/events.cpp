#include "shell/events.h"

#include "behaviour/alarm_check.h"
#include "behaviour/alarm_list.h"
#include "behaviour/behaviour.h"
#include "shell/shell_platform.h"
#include "shell/tray.h"
#include "shell/windows.h"

namespace {

// Once a second: the alarm file, and whether a full-screen application
// wants the screen to itself.
void WatchEachSecond(App& app, int32_t second) {
  if (second == app.watched_sec) return;
  app.watched_sec = second;
  WatchAlarmFile(app.behaviour, JoinStartDir(app.start_dir.c_str(), kAlarmFileName).c_str(),
                 app.platform);
  StepAsideForFullScreen(app);
}

void FrameWake(App& app) {
  ShellPlatform& platform = app.platform;
  const LocalTime time = platform.LocalNow();
  const int32_t second = SecondOfDay(time);
  WatchEachSecond(app, second);
  // The check sees this wake's second rather than the last paint's, so that
  // the wake at the turn of an alarm's second starts it.
  app.behaviour.now_sec = second;
  CheckAlarm(app.behaviour, app.settings, platform,
             {time.year, time.month, time.day, second, time.utc_offset});
  BehaviourTick(app.behaviour, app.settings, app.edition, platform);
  FollowOutline(app);
  // A pointer read on the beat that has not moved changes nothing: no picture is composed.
  const uint32_t now = platform.TickCount();
  const bool moved = ReadPointer(app, now, false);
  if (PaintDue(app, second, moved)) PaintMain(app, false);
  // A moving pointer is read at every frame; one at rest is waited for, where
  // the system watches for its first move.
  const bool resting = !PointerMoving(app, now);
  const bool watched = platform.WatchPointer(resting) && resting;
  // The next wake reads it once more, for a move made before the watch began.
  if (watched && !app.pointer_watched) app.pointer_stirred = true;
  app.pointer_watched = watched;
  const Wake wake = NextWake(app, platform.TickCount(), platform.LocalNow());
  platform.ArmWake(wake.delay_ms, wake.tolerance_ms);
}

}  // namespace

void TimerFired(App& app, uint32_t id) {
  WatchScreen(app);
  switch (id) {
    // Killed as well, so that it does not wake an idle program again.
    case TIMER_ALARM_LENGTH: StopAlarm(app); break;
    case TIMER_FRAME: FrameWake(app); break;
    case TIMER_TRAY_RETRY: RetryTrayIcon(app); break;
    default: break;
  }
}

void Resumed(App& app) { FrameWake(app); }

void PointerMoved(App& app) {
  app.pointer_stirred = true;
  FrameWake(app);
}

void MainMoved(App& app) { FollowMain(app); }

void MonitorsChanged(App& app) {
  WatchScreen(app);
  KeepOnAMonitor(app);
}

void Closing(App& app) {
  app.platform.StopTimer(TIMER_FRAME);
  SaveAppSettings(app);
}
