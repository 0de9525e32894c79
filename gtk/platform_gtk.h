#pragma once

#include <gtk/gtk.h>

#include <ctime>
#include <map>
#include <vector>

#include "gtk/sound_gtk.h"
#include "gtk/tray_gtk.h"
#include "shell/app.h"
#include "shell/shell_platform.h"

struct GtkPlatform;

// One running timer: the source and what it wakes.
struct TimerSource {
  GtkPlatform* platform;
  uint32_t id;
  guint source;
};

// The shell's and the behaviour's system calls under GTK on X11, and all
// the GTK half holds. The windows are filled in as they are made; until
// then calls aimed at a missing window do nothing.
struct GtkPlatform final : ShellPlatform {
  App* app = nullptr;                  // the program these calls carry out
  GtkWidget* main_window = nullptr;    // the character and clock
  GtkWidget* shadow_window = nullptr;  // the drop shadow, under the character
  ScreenRect main_bounds = {};         // as last placed or reported by the server
  ScreenRect shadow_bounds = {};
  ScreenRect screen = {};              // the union of the monitors as last read
  Region shadow_region;                // the outline last given to the shadow
  int32_t shadow_scale = 0;            // the scale that outline was built at
  bool composited = false;             // a compositor blends the shadow
  bool drawing = false;                // inside the character's draw handler
  bool full_paint_due = true;          // the picture must be composed afresh
  Surface band;                        // a few enlarged rows of the picture on their way
  time_t zone_checked = 0;             // the second the time zone was last looked at
  std::map<uint32_t, TimerSource> timers;  // each running timer by id
  std::vector<GtkWidget*> open_loops;  // menus and boxes whose own loop runs now, innermost last
  bool ended = false;                  // the settings were written and the windows went
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
  void ShowPicture(const Surface& picture, int32_t scale, const PixelBox& area) override;
  void FillShadow() override;
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

  // Reads the monitors again; at start and whenever they change.
  void RefreshVirtualScreen();
  // The shadow's outline again for the compositor as it is now: the whole
  // outline for a blend, a checkerboard of it without one.
  void ReapplyShadowShape();
  // The shadow directly under the character.
  void StackShadowUnderMain();
  // The one way out: the settings are written once, open menus and boxes
  // close, the windows and the tray icon go and the main loop ends. Safe to
  // call again.
  void EndProgram();

  GtkWidget* Widget(AppWindow window) const {
    return window == AppWindow::Main ? main_window : shadow_window;
  }
};
