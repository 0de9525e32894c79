#include "shell/shell.h"

#include <algorithm>

#include "behaviour/alarm_check.h"
#include "behaviour/alarm_list.h"
#include "behaviour/behaviour.h"
#include "shell/commands.h"

namespace {

ScreenRect WorkingBounds(int32_t left, int32_t top, int32_t scale) {
  return {left, top, kPictureWidth * scale, kPictureHeight * scale};
}

const Region& PoseRegion(const AppState& app) {
  const int32_t pose = app.behaviour.pose;
  return app.sprites.frame_regions[pose >= 0 && pose < kFrameCount ? pose : 0];
}

int32_t ShadowOffset(const Settings& settings, Edition edition) {
  return edition == Edition::Lite ? 0 : 3 * settings.viewscale;
}

}  // namespace

void WatchScreen(AppState& app, const Settings& settings, ShellPlatform& platform) {
  const ScreenRect screen = platform.VirtualScreen();
  if (!ScreenShrank(app, screen)) return;
  const ScreenRect window = platform.WindowBounds(AppWindow::Main);
  const ScreenPoint to = ClampToScreen(screen, window, settings.viewscale);
  platform.PlaceWindow(AppWindow::Main, {to.x, to.y, window.width, window.height}, true);
}

namespace {

bool PointerMoving(const AppState& app, uint32_t now) {
  return app.pointer_known && now - app.pointer_moved < kPointerActive;
}

// Once a second: the alarm file, and whether a full-screen application
// wants the screen to itself.
void WatchEachSecond(AppState& app, const Settings& settings, Edition edition, int32_t second,
                     ShellPlatform& platform) {
  if (second == app.watched_sec) return;
  app.watched_sec = second;
  WatchAlarmFile(app.behaviour, JoinStartDir(app.start_dir.c_str(), kAlarmFileName).c_str(), platform);
  StepAsideForFullScreen(app, settings, edition, platform);
}

void FrameWake(AppState& app, const Settings& settings, Edition edition,
               ShellPlatform& platform) {
  const LocalTime time = platform.LocalNow();
  const int32_t second = SecondOfDay(time);
  WatchEachSecond(app, settings, edition, second, platform);
  // The check sees this wake's second rather than the last paint's, so that
  // the wake at the turn of an alarm's second starts it.
  app.behaviour.now_sec = second;
  CheckAlarm(app.behaviour, settings, platform,
             {time.year, time.month, time.day, second, time.utc_offset});
  BehaviourTick(app.behaviour, settings, edition, platform);
  // A pointer read on the beat that has not moved changes nothing: no picture is composed.
  const uint32_t now = platform.TickCount();
  const bool moved = ReadPointer(app, platform, now, false);
  if (PaintDue(app, second, moved)) PaintMain(app, settings, platform, false);
  // A moving pointer is read at every frame; one at rest is waited for, where
  // the system tells of its first move.
  const bool resting = !PointerMoving(app, now);
  const bool told = platform.TellPointerMoves(resting) && resting;
  // The next wake reads it once more, for a move made before the telling began.
  if (told && !app.pointer_told) app.pointer_stirred = true;
  app.pointer_told = told;
  const Wake wake = NextWake(app, edition, platform.TickCount(), platform.LocalNow());
  platform.ArmWake(wake.delay_ms, wake.tolerance_ms);
}

}  // namespace

void StepAsideForFullScreen(AppState& app, const Settings& settings, Edition edition,
                            ShellPlatform& platform) {
  const bool aside = platform.FullScreenAppInFront();
  if (aside == app.stepped_aside) return;
  app.stepped_aside = aside;
  if (settings.hide) return;  // stored stays stored
  // The shadow before the character, so that it ends under it; neither takes
  // the activation from the application the user is in.
  platform.ShowWindowNow(AppWindow::Shadow, !aside && edition == Edition::Full && settings.shadow);
  platform.ShowWindowNow(AppWindow::Main, !aside);
}

void Resumed(AppState& app, const Settings& settings, Edition edition, ShellPlatform& platform) {
  FrameWake(app, settings, edition, platform);
}

void PointerStirred(AppState& app, const Settings& settings, Edition edition,
                    ShellPlatform& platform) {
  app.pointer_stirred = true;
  FrameWake(app, settings, edition, platform);
}

void MainCreated(AppState& app, ShellPlatform& platform) {
  // The first wake arms the ones after it.
  platform.StartTimer(TIMER_FRAME, kFrameInterval);
  // The shadow window asked for the tray icon before the timers could run.
  if (!app.tray_icon && !platform.TellsOfTrayHost()) {
    platform.StartTimer(TIMER_TRAY_RETRY, kTrayRetryInterval);
  }
  platform.ApplyRegion(AppWindow::Main, app.sprites.frame_regions[0], true);
  app.behaviour.shaped_pose = 0;
  FreeSurface(app.shown_picture);
}

void MainDestroyed(AppState& app, const Settings& settings, ShellPlatform& platform) {
  platform.StopTimer(TIMER_FRAME);
  SaveAppSettings(app, settings, platform);
}

void SaveAppSettings(const AppState& app, const Settings& settings, ShellPlatform& platform) {
  const ScreenRect main = platform.WindowBounds(AppWindow::Main);
  SaveSettings(settings, main.left, main.top,
               JoinStartDir(app.start_dir.c_str(), kSettingsFileName).c_str());
}

void FollowMain(const Settings& settings, Edition edition, ShellPlatform& platform) {
  const ScreenRect main = platform.WindowBounds(AppWindow::Main);
  const int32_t offset = ShadowOffset(settings, edition);
  platform.PlaceWindow(AppWindow::Shadow,
                       WorkingBounds(main.left + offset, main.top + offset, settings.viewscale),
                       false);
}

void ShadowCreated(AppState& app, ShellPlatform& platform) {
  platform.ApplyRegion(AppWindow::Shadow, app.sprites.frame_regions[0], true);
}

void OnTimer(AppState& app, const Settings& settings, Edition edition, ShellPlatform& platform,
             uint32_t id) {
  WatchScreen(app, settings, platform);
  switch (id) {
    // Killed as well, so that it does not wake an idle program again.
    case TIMER_ALARM_LENGTH: StopAlarm(app, settings, platform); break;
    case TIMER_FRAME: FrameWake(app, settings, edition, platform); break;
    case TIMER_TRAY_RETRY: RetryTrayIcon(app, settings, platform); break;
    default: break;
  }
}

bool PaintDue(const AppState& app, int32_t second_of_day, bool pointer_moved) {
  return pointer_moved || app.behaviour.pose != app.render.painted_pose ||
         second_of_day != app.render.painted_sec;
}

Wake NextWake(const AppState& app, Edition edition, uint32_t now, const LocalTime& time) {
  // The dance and a moving pointer keep the frame pace.
  if (app.behaviour.mode != Idle || PointerMoving(app, now)) return {kFrameInterval, 0};
  const uint32_t into_second = static_cast<uint32_t>(std::clamp(time.millisecond, 0, 999));
  Wake wake = {1000 - into_second + kSecondMargin, kSecondTolerance};
  auto sooner = [&wake](uint32_t delay, uint32_t tolerance) {
    if (delay < wake.delay_ms) wake = {delay, tolerance};
  };
  // The pointer's beat keeps to the clock's quarters, so that the second's
  // wake reads it too and the two cost one wake. It may come as late as the
  // second's, so that at rest every wake asks for the same and the timer
  // armed once keeps beating.
  const uint32_t quarter = (into_second / kPointerRestRead + 1) * kPointerRestRead;
  if (!app.pointer_known) {
    sooner(0, 0);
  } else if (!app.pointer_told) {
    sooner(quarter - into_second + kSecondMargin, kSecondTolerance);
  }
  // The behaviour counts from its last tick, which may lie a paint ago.
  const uint32_t since_tick = now - app.behaviour.last_tick;
  const uint32_t change = NextPoseChange(app.behaviour, edition, wake.delay_ms + since_tick);
  sooner(change > since_tick ? change - since_tick : 0, 0);
  wake.delay_ms = std::max(wake.delay_ms, 1u);
  return wake;
}

void PaintMain(AppState& app, const Settings& settings, ShellPlatform& platform, bool always) {
  const LocalTime time = platform.LocalNow();
  if (always) ReadPointer(app, platform, platform.TickCount(), true);
  const ScreenPoint pointer = app.pointer;
  const ScreenRect main = platform.WindowBounds(AppWindow::Main);
  ComposeFrame(app.sprites, app.render, app.behaviour, settings, time, pointer,
               {main.left, main.top}, 0);
  // Under Wine the transfer is what costs: only what differs from the
  // picture on the window is enlarged and sent, and an equal picture not at all.
  const Surface& picture = app.sprites.picture;
  const PixelBox box = always ? PixelBox{0, 0, picture.width, picture.height}
                              : DifferingBox(app.shown_picture, picture);
  if (!box.empty()) {
    platform.ShowPicture(picture, app.sprites.scale, box);
    app.shown_picture = picture;
  }
  app.render.last_paint_tick = platform.TickCount();
}

bool PointerDue(const AppState& app, uint32_t now) {
  return !app.pointer_known || app.pointer_stirred ||
         (!app.pointer_told && now - app.pointer_read + kPointerBeatSlack >= kPointerRestRead) ||
         now - app.pointer_moved < kPointerActive;
}

bool ReadPointer(AppState& app, ShellPlatform& platform, uint32_t now, bool always) {
  if (!always && !PointerDue(app, now)) return false;
  const ScreenPoint p = platform.CursorPosition();
  const bool moved = !app.pointer_known || p.x != app.pointer.x || p.y != app.pointer.y;
  if (moved) app.pointer_moved = now;
  app.pointer = p;
  app.pointer_known = true;
  app.pointer_stirred = false;
  app.pointer_read = now;
  return moved;
}

void ReshapeMain(AppState& app, const Settings& settings, ShellPlatform& platform) {
  platform.ApplyRegion(AppWindow::Main, PoseRegion(app), false);
  app.behaviour.shaped_pose = app.behaviour.pose;
  const int32_t s = settings.viewscale;
  const ScreenRect main = platform.WindowBounds(AppWindow::Main);
  if (main.width == kPictureWidth * s && main.height == kPictureHeight * s) {
    PaintMain(app, settings, platform, true);
  } else {
    // The resized window gets a paint message, which paints.
    platform.PlaceWindow(AppWindow::Main, WorkingBounds(main.left, main.top, s), true);
  }
}

void ReshapeShadow(AppState& app, const Settings& settings, Edition edition,
                   ShellPlatform& platform) {
  if (edition == Edition::Lite) return;  // never shown; keeps its first outline
  platform.ApplyRegion(AppWindow::Shadow, PoseRegion(app), false);
  const ScreenRect main = platform.WindowBounds(AppWindow::Main);
  const ScreenRect shadow = platform.WindowBounds(AppWindow::Shadow);
  const int32_t offset = ShadowOffset(settings, edition);
  const ScreenRect want =
      WorkingBounds(main.left + offset, main.top + offset, settings.viewscale);
  if (shadow.left == want.left && shadow.top == want.top && shadow.width == want.width &&
      shadow.height == want.height) {
    platform.FillShadow();
  } else {
    platform.PlaceWindow(AppWindow::Shadow, want, true);
  }
}

void StopAlarm(AppState& app, const Settings& settings, ShellPlatform& platform) {
  platform.KillAlarmTimer();
  SetMode(app.behaviour, Idle, settings, platform);
}

void DoubleClicked(AppState& app, const Settings& settings, ShellPlatform& platform) {
  if (app.behaviour.mode != Idle) StopAlarm(app, settings, platform);
}

bool ScreenShrank(AppState& app, const ScreenRect& screen) {
  if (screen.width >= app.screen_width && screen.height >= app.screen_height) return false;
  app.screen_width = screen.width;
  app.screen_height = screen.height;
  return true;
}

ScreenPoint ClampToScreen(const ScreenRect& screen, const ScreenRect& window, int32_t scale) {
  // Raised first, then lowered: on a screen narrower than the window the
  // right-hand limit wins.
  const int32_t x = std::max(window.left, screen.left);
  const int32_t y = std::max(window.top, screen.top);
  return {std::min(x, screen.left + screen.width - kPictureWidth * scale),
          std::min(y, screen.top + screen.height - kPictureHeight * scale)};
}
