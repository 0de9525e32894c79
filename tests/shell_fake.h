#pragma once

// A window system that keeps the character's and the shadow's rectangles and
// logs what the shell's rules asked of it, and a rig of the records those
// rules work on.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "shell/app.h"
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
  int tell_switches = 0;  // times telling started or stopped
  int wakes_armed = 0;
  uint32_t wake_delay = 0;      // the last wake armed
  uint32_t wake_tolerance = 0;
  std::string chosen;  // what the file dialog picks; empty: cancelled
  std::vector<std::string> log;

  std::vector<uint8_t> bitmaps[3];  // the generated artwork, read once
  bool windows_made = false;

  FakeShell() {
    const char* names[] = {"glyph_atlas.bmp", "character_sheet.bmp", "bubble.bmp"};
    for (int i = 0; i < 3; ++i) bitmaps[i] = fixture::ReadFile(fixture::GeneratedArt(names[i]));
  }

  ScreenRect& Rect(AppWindow w) { return w == AppWindow::Main ? main : shadow; }
  static const char* Name(AppWindow w) { return w == AppWindow::Main ? "main" : "shadow"; }

  ByteView Bitmap(int id) override {
    const std::vector<uint8_t>& b = bitmaps[id - IDB_GLYPH_ATLAS];
    log.push_back("bitmap " + std::to_string(id));
    return {b.data(), b.size()};
  }
  bool CreateWindows(const ScreenRect& m, const ScreenRect& s) override {
    main = m;
    shadow = s;
    windows_made = true;
    log.push_back("windows");
    return true;
  }
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
  bool WatchPointer(bool on) override {
    tell_switches += telling != (can_tell && on);
    telling = can_tell && on;
    return can_tell;
  }
  LocalTime LocalNow() override { return time; }
  ScreenRect VirtualScreen() override { return screen; }
  std::vector<Monitor> monitors;  // none told: the monitor rule keeps every place
  std::vector<Monitor> Monitors() override { return monitors; }
  void ShowPicture(const Surface& picture, int32_t scale, const PixelBox& area) override {
    log.push_back("show");
    shown_area = area;
    if (screen_picture.width != picture.width * scale) {
      screen_picture = MakeSurface(picture.width * scale, picture.height * scale);
    }
    EnlargeBox(picture, scale, screen_picture, area);
  }
  void ShapeShadow(const Region&, const ScreenRect& at) override {
    shadow = at;
    log.push_back("shape shadow");
  }
  void PlaceShadow(const ScreenRect& at) override {
    shadow = at;
    log.push_back("place shadow");
  }
  void ShowShadow(bool shown) override { log.push_back(shown ? "show shadow" : "hide shadow"); }
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
  bool at_login = false;  // the system starts the program at login
  bool StartsAtLogin() override { return at_login; }
  void SetStartAtLogin(bool on, const std::string& dir) override {
    at_login = on;
    log.push_back(std::string(on ? "start at login in " : "no start at login in ") + dir);
  }
  void OpenDocument(const char* path, const char* dir) override {
    log.push_back(std::string("open ") + path + " in " + dir);
  }

  int Count(const std::string& what) const {
    int n = 0;
    for (const std::string& entry : log) n += entry == what;
    return n;
  }
};

// The program's record over the fake system, started as a program is
// started but for the files: the real artwork at the start-up scale.
template <typename Shell = FakeShell>
struct RigFor {
  Shell shell;
  App app;
  Settings& settings = app.settings;

  explicit RigFor(Edition edition = Edition::Full) : app(shell, edition) {
    app.behaviour.random_seed = 1;
    EXPECT_TRUE(fixture::LoadGeneratedSprites(app.sprites));  // the real artwork
    EXPECT_TRUE(RescaleSprites(app.sprites, settings.scale));
    app.screen_width = shell.screen.width;
    app.screen_height = shell.screen.height;
  }
};

using Rig = RigFor<>;
