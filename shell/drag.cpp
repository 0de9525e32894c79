#include "behaviour/behaviour_state.h"
#include "shell/shell.h"

void PressLeft(AppState& app, const Settings& settings, ShellPlatform& platform, int32_t x,
               int32_t y) {
  if (settings.movelock) return;
  app.dragging = true;
  app.grab_x = x;
  app.grab_y = y;
  platform.CaptureMouse();
}

void MoveMouse(AppState& app, const Settings& settings, ShellPlatform& platform) {
  if (!app.dragging) return;
  const ScreenPoint cursor = platform.CursorPosition();
  const ScreenRect main = platform.WindowBounds(AppWindow::Main);
  const int32_t x = cursor.x - app.grab_x;
  const int32_t y = cursor.y - app.grab_y;
  if (x == main.left && y == main.top) return;
  // No clamp while dragging: the character may go partly off the screen.
  const int32_t s = settings.viewscale;
  platform.PlaceWindow(AppWindow::Main, {x, y, kPictureWidth * s, kPictureHeight * s}, true);
}

void ReleaseLeftOrMiddle(AppState& app, ShellPlatform& platform) {
  app.dragging = false;
  platform.ReleaseMouse();
}

void Deactivated(AppState& app, ShellPlatform& platform) {
  if (!app.dragging) return;
  app.dragging = false;
  platform.ReleaseMouse();
}

bool ReleaseRight(AppState& app, ShellPlatform& platform) {
  if (app.dragging) {
    app.dragging = false;
    platform.ReleaseMouse();
    return false;
  }
  return app.behaviour.mode == Idle;
}
