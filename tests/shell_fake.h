#pragma once

// A window system that keeps two rectangles and logs what the shell's rules
// asked of it, and a rig of the records those rules work on.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "shell/app_state.h"
#include "shell/shell_platform.h"
#include "behaviour/behaviour.h"
#include "behaviour_fake.h"
#include "render_fixtures.h"

struct FakeShell : FakePlatformFor<ShellPlatform> {
  ScreenRect main = {100, 100, 176, 160};
  ScreenRect shadow = {106, 106, 176, 160};
  ScreenRect screen = {0, 0, 1280, 1024};
  ScreenPoint cursor = {0, 0};
  LocalTime time = {2024, 6, 15, 6, 12, 34, 56};
  bool captured = false;
  PixelBox shown_area = {};      // of the last picture shown, at scale 1
  Surface screen_picture;        // what the main window shows, enlarged
  int cursor_reads = 0;
  bool can_tell = false;  // the system tells of pointer moves
  bool telling = false;
  int wakes_armed = 0;
  uint32_t wake_delay = 0;      // the last wake armed
  uint32_t wake_tolerance = 0;
  std::string chosen;  // what the file dialog picks; empty: cancelled
  std::vector<std::string> log;

  explicit FakeShell(BehaviourState* shaped) : FakePlatformFor(shaped) {}

  ScreenRect& Rect(AppWindow w) { return w == AppWindow::Main ? main : shadow; }
  static const char* Name(AppWindow w) { return w == AppWindow::Main ? "main" : "shadow"; }

  ScreenRect WindowBounds(AppWindow w) override { return Rect(w); }
  void PlaceWindow(AppWindow w, const ScreenRect& b, bool) override {
    Rect(w) = b;
    log.push_back(std::string("place ") + Name(w));
  }
  void ApplyRegion(AppWindow w, const Region&, bool) override {
    log.push_back(std::string("region ") + Name(w));
  }
  void StartTimer(uint32_t id, uint32_t) override { log.push_back("start " + std::to_string(id)); }
  void StopTimer(uint32_t id) override { log.push_back("stop " + std::to_string(id)); }
  void ArmWake(uint32_t delay, uint32_t tolerance) override {
    ++wakes_armed;
    wake_delay = delay;
    wake_tolerance = tolerance;
  }
  void CaptureMouse() override { captured = true; }
  void ReleaseMouse() override { captured = false; }
  ScreenPoint CursorPosition() override {
    ++cursor_reads;
    return cursor;
  }
  bool TellsOfTrayHost() override { return false; }
  bool TellPointerMoves(bool on) override {
    telling = can_tell && on;
    return can_tell;
  }
  LocalTime LocalNow() override { return time; }
  ScreenRect VirtualScreen() override { return screen; }
  void ShowPicture(const Surface& picture, int32_t scale, const PixelBox& area) override {
    log.push_back("show");
    shown_area = area;
    if (screen_picture.width != picture.width * scale) {
      screen_picture = MakeSurface(picture.width * scale, picture.height * scale);
    }
    EnlargeBox(picture, scale, screen_picture, area);
  }
  void FillShadow() override { log.push_back("fill shadow"); }
  void CloseProgram() override { log.push_back("close"); }
  void ShowWindowNow(AppWindow w, bool shown) override {
    log.push_back(std::string(shown ? "show " : "hide ") + Name(w));
  }
  void StoreWindows() override { log.push_back("store windows"); }
  void RestoreWindows() override { log.push_back("restore windows"); }
  void BringToFront(AppWindow w) override { log.push_back(std::string("front ") + Name(w)); }
  bool full_screen = false;  // another application fills the monitor
  bool FullScreenAppInFront() override { return full_screen; }
  bool tray_accepts = true;  // whether the shell takes the icon
  bool AddTrayIcon() override {
    log.push_back(tray_accepts ? "tray icon" : "tray refused");
    return tray_accepts;
  }
  void ApplyTopmost(bool topmost) override { log.push_back(topmost ? "topmost" : "not topmost"); }
  void TrackMenu(AppWindow w, Language, const std::vector<MenuItemState>&) override {
    log.push_back(std::string("menu ") + Name(w));
  }
  bool ChooseWaveFile(const char*, char* path, uint32_t size) override {
    log.push_back("dialog");
    if (chosen.empty() || chosen.size() >= size) return false;
    std::snprintf(path, size, "%s", chosen.c_str());
    return true;
  }
  void ShowAbout() override { log.push_back("about"); }
  void OpenDocument(const char* path, const char* dir) override {
    log.push_back(std::string("open ") + path + " in " + dir);
  }

  int Count(const std::string& what) const {
    int n = 0;
    for (const std::string& entry : log) n += entry == what;
    return n;
  }
};

template <typename Shell = FakeShell>
struct RigFor {
  AppState app;
  Settings settings;
  Shell shell{&app.behaviour};

  RigFor() {
    EXPECT_TRUE(fixture::LoadGeneratedSprites(app.sprites));  // the real artwork
    EXPECT_TRUE(RescaleSprites(app.sprites, settings.viewscale));
    SetMode(app.behaviour, Idle, settings, shell);
    app.screen_width = shell.screen.width;
    app.screen_height = shell.screen.height;
  }
};

using Rig = RigFor<>;
