#include "shell/windows.h"

#include <algorithm>
#include <cstdio>

#include "behaviour/behaviour.h"
#include "shell/shell_platform.h"

namespace {

const Region& PoseRegion(const App& app) {
  const int32_t pose = app.behaviour.pose;
  return app.sprites.frame_regions[pose >= 0 && pose < kFrameCount ? pose : 0];
}

}  // namespace

ScreenRect ShadowBounds(const App& app, const ScreenRect& main) {
  const int32_t offset = app.edition == Edition::Lite ? 0 : 3 * app.settings.scale;
  return WindowAt({main.left + offset, main.top + offset}, app.settings.scale);
}

void FollowMain(App& app) {
  const ScreenRect main = app.platform.WindowBounds(AppWindow::Main);
  app.platform.PlaceShadow(ShadowBounds(app, main));
}

bool PointerMoving(const App& app, uint32_t now) {
  return app.pointer_known && now - app.pointer_moved < kPointerActive;
}

bool PointerDue(const App& app, uint32_t now) {
  return !app.pointer_known || app.pointer_stirred ||
         (!app.pointer_watched && now - app.pointer_read + kPointerBeatSlack >= kPointerRestRead) ||
         now - app.pointer_moved < kPointerActive;
}

bool ReadPointer(App& app, uint32_t now, bool always) {
  if (!always && !PointerDue(app, now)) return false;
  const ScreenPoint p = app.platform.CursorPosition();
  const bool moved = !app.pointer_known || p.x != app.pointer.x || p.y != app.pointer.y;
  if (moved) app.pointer_moved = now;
  app.pointer = p;
  app.pointer_known = true;
  app.pointer_stirred = false;
  app.pointer_read = now;
  return moved;
}

Wake NextWake(const App& app, uint32_t now, const LocalTime& time) {
  // The dance and a moving pointer keep the frame pace.
  if (app.behaviour.mode != Mode::Idle || PointerMoving(app, now)) return {kFrameInterval, 0};
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
  } else if (!app.pointer_watched) {
    sooner(quarter - into_second + kSecondMargin, kSecondTolerance);
  }
  // The behaviour counts from its last tick, which may lie a paint ago.
  const uint32_t since_tick = now - app.behaviour.last_tick;
  const uint32_t change = NextPoseChange(app.behaviour, app.edition, wake.delay_ms + since_tick);
  sooner(change > since_tick ? change - since_tick : 0, 0);
  wake.delay_ms = std::max(wake.delay_ms, 1u);
  return wake;
}

void PaintMain(App& app, bool always) {
  ShellPlatform& platform = app.platform;
  const LocalTime time = platform.LocalNow();
  if (always) ReadPointer(app, platform.TickCount(), true);
  const ScreenRect main = platform.WindowBounds(AppWindow::Main);
  ComposeFrame(app.sprites, app.render, app.behaviour, app.settings, time, app.pointer,
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

bool PaintDue(const App& app, int32_t second_of_day, bool pointer_moved) {
  return pointer_moved || app.behaviour.pose != app.render.painted_pose ||
         second_of_day != app.render.painted_sec;
}

void ReshapeShadow(App& app) {
  if (app.edition == Edition::Lite) return;  // never shown; keeps its first outline
  ShellPlatform& platform = app.platform;
  const ScreenRect main = platform.WindowBounds(AppWindow::Main);
  platform.ShapeShadow(PoseRegion(app), ShadowBounds(app, main));
}

void Reshape(App& app) {
  ShellPlatform& platform = app.platform;
  platform.ApplyRegion(AppWindow::Main, PoseRegion(app), false);
  app.shaped_pose = app.behaviour.pose;
  const ScreenRect main = platform.WindowBounds(AppWindow::Main);
  const ScreenRect want = WindowAt({main.left, main.top}, app.settings.scale);
  if (main == want) {
    PaintMain(app, true);
  } else {
    // The resized window gets a paint message, which paints.
    platform.PlaceWindow(AppWindow::Main, want, true);
  }
  ReshapeShadow(app);
}

void FollowOutline(App& app) {
  const int32_t pose = app.behaviour.pose;
  if (pose == app.shaped_pose) return;
  const auto& regions = app.sprites.frame_regions;
  const bool known = pose >= 0 && pose < kFrameCount && app.shaped_pose >= 0 &&
                     app.shaped_pose < kFrameCount;
  // Frames that share an outline (the blink's and the idle one's) need none.
  if (known && regions[pose] == regions[app.shaped_pose]) return;
  Reshape(app);
}

void SaveAppSettings(App& app) {
  const ScreenRect main = app.platform.WindowBounds(AppWindow::Main);
  const std::string path = JoinStartDir(app.start_dir.c_str(), kSettingsFileName);
  // The old file stays whole; a terminal or the session's log hears why the
  // choices of this run are lost (a Windows program has nobody listening).
  if (!SaveSettings(app.settings, main.left, main.top, path.c_str())) {
    std::fprintf(stderr, "kurimaro: the settings could not be written to %s\n", path.c_str());
  }
}

void ShowWindows(App& app) {
  ShellPlatform& platform = app.platform;
  platform.ShowWindowNow(AppWindow::Main, true);
  platform.RestoreWindows();
  ReshapeShadow(app);
  platform.ShowShadow(app.edition == Edition::Full && app.settings.shadow);
  platform.BringToFront(AppWindow::Main);
}

bool CoversMonitor(const ScreenRect& w, const ScreenRect& m) {
  if (m.width <= 0 || m.height <= 0) return false;
  const int64_t w_right = int64_t{w.left} + w.width, w_bottom = int64_t{w.top} + w.height;
  return w.left <= m.left && w.top <= m.top && w_right >= int64_t{m.left} + m.width &&
         w_bottom >= int64_t{m.top} + m.height;
}

bool FullScreenInFront(TaskbarVerdict taskbar, const FrontWindow& front,
                       const ScreenRect& monitor) {
  switch (taskbar) {
    case TaskbarVerdict::FullScreen: return true;
    case TaskbarVerdict::NotFullScreen: return false;
    case TaskbarVerdict::Unknown: break;
  }
  if (!front.shown || front.ours || front.taskbars) return false;
  if (front.maximised && front.captioned) return false;
  return CoversMonitor(front.bounds, monitor);
}

void StepAsideForFullScreen(App& app) {
  ShellPlatform& platform = app.platform;
  const bool aside = platform.FullScreenAppInFront();
  if (aside == app.stepped_aside) return;
  app.stepped_aside = aside;
  if (app.settings.in_tray) return;  // stored stays stored
  // The shadow before the character, so that it ends under it; neither takes
  // the activation from the application the user is in.
  platform.ShowShadow(!aside && app.edition == Edition::Full && app.settings.shadow);
  platform.ShowWindowNow(AppWindow::Main, !aside);
}

bool ScreenShrank(App& app, const ScreenRect& screen) {
  if (screen.width >= app.screen_width && screen.height >= app.screen_height) return false;
  app.screen_width = screen.width;
  app.screen_height = screen.height;
  return true;
}

void WatchScreen(App& app) {
  ShellPlatform& platform = app.platform;
  const ScreenRect screen = platform.VirtualScreen();
  if (!ScreenShrank(app, screen)) return;
  const ScreenRect window = platform.WindowBounds(AppWindow::Main);
  const ScreenPoint to =
      ClampToScreen(screen, WindowAt({window.left, window.top}, app.settings.scale));
  platform.PlaceWindow(AppWindow::Main, {to.x, to.y, window.width, window.height}, true);
}

namespace {

bool Meets(const ScreenRect& a, const ScreenRect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

// Squared gap between the rectangles along each axis; 0 where they overlap.
int64_t Gap(const ScreenRect& a, const ScreenRect& b) {
  auto axis = [](int64_t a0, int64_t a1, int64_t b0, int64_t b1) {
    return std::max<int64_t>({0, b0 - a1, a0 - b1});
  };
  const int64_t dx = axis(a.left, a.left + a.width, b.left, b.left + b.width);
  const int64_t dy = axis(a.top, a.top + a.height, b.top, b.top + b.height);
  return dx * dx + dy * dy;
}

}  // namespace

ScreenPoint PlaceOnMonitors(const std::vector<Monitor>& monitors, const ScreenRect& window) {
  const Monitor* nearest = nullptr;
  for (const Monitor& m : monitors) {
    if (Meets(window, m.bounds)) return {window.left, window.top};
    if (!nearest || Gap(window, m.bounds) < Gap(window, nearest->bounds)) nearest = &m;
  }
  if (!nearest) return {window.left, window.top};
  return ClampToScreen(nearest->work, window);
}

void KeepOnAMonitor(App& app) {
  ShellPlatform& platform = app.platform;
  const ScreenRect window = platform.WindowBounds(AppWindow::Main);
  const ScreenPoint to = PlaceOnMonitors(platform.Monitors(), window);
  if (to.x == window.left && to.y == window.top) return;
  platform.PlaceWindow(AppWindow::Main, {to.x, to.y, window.width, window.height}, true);
}

void StopAlarm(App& app) {
  app.platform.KillAlarmTimer();
  SetMode(app.behaviour, Mode::Idle, app.settings, app.platform);
}

void DoubleClicked(App& app) {
  if (app.behaviour.mode != Mode::Idle) StopAlarm(app);
}

void PressLeft(App& app, int32_t x, int32_t y) {
  if (app.settings.move_lock) return;
  app.dragging = true;
  app.grab_x = x;
  app.grab_y = y;
  app.platform.CaptureMouse();
}

void MoveMouse(App& app) {
  if (!app.dragging) return;
  ShellPlatform& platform = app.platform;
  const ScreenPoint cursor = platform.CursorPosition();
  const ScreenRect main = platform.WindowBounds(AppWindow::Main);
  const ScreenPoint to = {cursor.x - app.grab_x, cursor.y - app.grab_y};
  if (to.x == main.left && to.y == main.top) return;
  // No clamp while dragging: the character may go partly off the screen.
  platform.PlaceWindow(AppWindow::Main, WindowAt(to, app.settings.scale), true);
}

void ReleaseLeftOrMiddle(App& app) {
  app.dragging = false;
  app.platform.ReleaseMouse();
}

void Deactivated(App& app) {
  if (!app.dragging) return;
  app.dragging = false;
  app.platform.ReleaseMouse();
}

bool ReleaseRight(App& app) {
  if (app.dragging) {
    app.dragging = false;
    app.platform.ReleaseMouse();
    return false;
  }
  return app.behaviour.mode == Mode::Idle;
}
