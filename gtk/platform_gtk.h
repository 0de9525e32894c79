#pragma once

#include <gtk/gtk.h>

#include <ctime>
#include <map>
#include <vector>

#include "gtk/sound_gtk.h"
#include "gtk/tray_gtk.h"
#include "gtk/window_look.h"
#include "shell/app.h"
#include "shell/shell_platform.h"

struct GtkPlatform;

// One running timer: the source and what it wakes.
struct TimerSource {
  GtkPlatform* platform;
  uint32_t id;
  guint source;
};

// The shell's and the behaviour's system calls under GTK, on X11 or on a
// Wayland compositor with layer shell, and all the GTK half holds. The
// character's window is filled in as it is made; until then calls aimed at
// it do nothing. The rules' screen and window pixels are device pixels (the
// X server's, or the output's on Wayland); GDK's own are those divided by
// the desktop's scale.
struct GtkPlatform final : ShellPlatform {
  App* app = nullptr;                  // the program these calls carry out
  GtkWidget* main_window = nullptr;    // the character, his clock and his shadow
  ScreenRect main_bounds = {};         // his picture's part of it, as last placed or reported
  ScreenRect screen = {};              // the union of the monitors as last read
  std::vector<Monitor> monitors;       // each of them, as last read
  int32_t desktop_scale = 1;           // device pixels per GDK pixel
  WindowLook look;                     // what the window shows, cell by cell
  Region outline;                      // his, as last given: the window's input shape
  bool argb = false;                   // the window has an alpha channel to blend with
  bool composited = false;             // a compositor blends the shadow
  bool drawing = false;                // inside the character's draw handler
  bool full_paint_due = true;          // the picture must be composed afresh
  Surface band;                        // a few enlarged rows of the picture on their way
  time_t zone_checked = 0;             // the second the time zone was last looked at
  std::map<uint32_t, TimerSource> timers;  // each running timer by id
  std::vector<GtkWidget*> open_loops;  // menus and boxes whose own loop runs now, innermost last
  bool ended = false;                  // the settings were written and the window went
  // On Wayland's layer shell the window is placed by its margins and never
  // told where it is: main_bounds is the one record of his place, and the
  // pointer is known only from its moves over him.
  bool layer = false;                  // the window is a layer surface
  ScreenPoint pointer_seen = {};       // where the pointer was last seen over him
  ScreenPoint held_from = {};          // his place when a button went down
  bool held = false;                   // a button is down
  bool pointer_watch = false;          // the pointer's next move over him is told
  SoundState sound;
  TrayState tray;

  void PlayAlarmSound(AlarmSound sound, const char* path, bool loop) override;
  void StopSound() override;
  void SetAlarmTimer(uint32_t interval_ms) override;
  void KillAlarmTimer() override;
  uint32_t TickCount() override;
  uint64_t FileStamp(const char* path) override;

  ByteView Bitmap(int resource_id) override;
  bool CreateWindows(const ScreenRect& main, const ScreenRect& shadow) override;

  ScreenRect WindowBounds(AppWindow window) override;
  void PlaceWindow(AppWindow window, const ScreenRect& bounds, bool repaint) override;
  void ApplyRegion(AppWindow window, const Region& region, bool redraw) override;
  void StartTimer(uint32_t id, uint32_t interval_ms) override;
  void StopTimer(uint32_t id) override;
  void ArmWake(uint32_t delay_ms, uint32_t tolerance_ms) override;
  bool FullScreenAppInFront() override;
  void CaptureMouse() override;
  void ReleaseMouse() override;
  ScreenPoint CursorPosition() override;
  bool WatchPointer(bool on) override;
  // The status icon tells when a tray takes it, whenever one comes.
  bool TellsOfTrayHost() override { return true; }
  LocalTime LocalNow() override;
  ScreenRect VirtualScreen() override;
  std::vector<Monitor> Monitors() override { return monitors; }
  void ShowPicture(const Surface& picture, int32_t scale, const PixelBox& area) override;
  void ShapeShadow(const Region& outline, const ScreenRect& at) override;
  void PlaceShadow(const ScreenRect& at) override;
  void ShowShadow(bool shown) override;
  void CloseProgram() override;
  void ShowWindowNow(AppWindow window, bool shown) override;
  void StoreWindows() override;
  void RestoreWindows() override;
  void BringToFront(AppWindow window) override;
  bool AddTrayIcon() override;
  void ApplyTopmost(bool topmost) override;
  void TrackMenu(AppWindow owner, Language language,
                 const std::vector<MenuItemState>& items) override;
  bool ChooseWaveFile(const char* title, char* path, uint32_t size) override;
  void ShowAbout() override;
  void OpenDocument(const char* path, const char* directory) override;
  bool StartsAtLogin() override;
  void SetStartAtLogin(bool on, const std::string& start_dir) override;

  // Reads the monitors and the desktop's scale again; at start and whenever
  // they change.
  void RefreshVirtualScreen();
  // The window's shape again, as the outlines, the shadow and the compositor
  // are now.
  void ApplyShape();
  // The whole window composed and put again, where it is on the screen.
  void Repaint();
  // The one way out: the settings are written once, open menus and boxes
  // close, the window and the tray icon go and the main loop ends. Safe to
  // call again.
  void EndProgram();
};
