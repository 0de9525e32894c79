#pragma once

#include <windows.h>
#include <shellapi.h>

#include "shell/app.h"
#include "shell/shell_platform.h"
#include "shell/windows.h"

// The shell's and the behaviour's system calls on Win32, and every handle the
// Win32 half holds. The module is filled at start-up, each window as it is
// created; until then calls aimed at a missing window do nothing.
struct Win32Platform final : ShellPlatform {
  using SetCoalescableTimerCall = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);
  using QueryNotificationStateCall = HRESULT(WINAPI*)(QUERY_USER_NOTIFICATION_STATE*);

  App* app = nullptr;              // the program these calls carry out
  HINSTANCE module = nullptr;      // this program: its bitmaps, sounds, icons and menu
  HWND main_window = nullptr;      // the character and clock; owns the timers
  HWND shadow_window = nullptr;    // drop shadow, owner of the main window
  NOTIFYICONDATAA tray_icon = {};  // filled when the icon is added, kept for its removal
  UINT taskbar_created = 0;        // the taskbar's restart broadcast
  bool under_wine = false;         // Wine's stacking needs a hand (shadow_window.cpp)
  bool restoring_hidden = false;   // the shadow leaves the minimised state unshown
  bool raw_pointer = false;        // raw input may tell of the pointer's moves
  bool pointer_listening = false;  // raw input from the mouse comes to the main window
  HDC paint_dc = nullptr;          // the main window's paint context while it paints
  ScreenRect screen = {};          // the virtual screen as last read
  std::vector<Monitor> monitors;   // each monitor, as last read
  ScreenRect main_bounds = {};     // the main window's rectangle as last moved or sized
  RECT main_monitor = {};          // the monitor the character stands on, with main_bounds
  SetCoalescableTimerCall set_coalescable_timer = nullptr;  // null before Windows 8
  QueryNotificationStateCall query_notification_state = nullptr;  // null before Vista
  uint32_t armed_delay = 0;        // the frame timer's interval as last set; 0: not set
  uint32_t armed_tolerance = 0;
  Surface shown_part;              // the last part of the picture shown, enlarged

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
  void CaptureMouse() override;
  void ReleaseMouse() override;
  ScreenPoint CursorPosition() override;
  bool WatchPointer(bool on) override;
  bool TellsOfTrayHost() override { return false; }
  LocalTime LocalNow() override;
  ScreenRect VirtualScreen() override;
  std::vector<Monitor> Monitors() override { return monitors; }
  void ShowPicture(const Surface& picture, int32_t scale, const PixelBox& area) override;
  void ShapeShadow(const Region& outline, const ScreenRect& at) override;
  void PlaceShadow(const ScreenRect& at) override;
  void ShowShadow(bool shown) override;
  void CloseProgram() override;
  void ShowWindowNow(AppWindow window, bool shown) override;
  bool FullScreenAppInFront() override;
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

  // The taskbar's judgement of a full-screen application, where it is asked.
  TaskbarVerdict AskTaskbar();

  // Looks up once at start-up the calls that older systems lack.
  void FindNewerCalls();

  // Reads the virtual screen again; done at start and whenever the display
  // changes, since under Wine each metric read costs several server calls and
  // the frame timer would read it sixty times a second.
  void RefreshVirtualScreen();

  // Reads the main window's rectangle again; done when it moves or changes
  // size, so that a paint needs no query (each costs server calls under Wine).
  void RefreshMainBounds();
  // The monitor under the main window's rectangle as recorded.
  void RefreshMainMonitor();

  HWND Handle(AppWindow window) const {
    return window == AppWindow::Main ? main_window : shadow_window;
  }
};

// The platform record a window of the program carries, taken from the
// creation's parameters at WM_NCCREATE; null before then.
Win32Platform* PlatformOf(HWND window, UINT message, LPARAM lparam);

// Virtual-screen size; the width metric decides for both whether the
// virtual-screen metrics are usable.
int VirtualScreenWidth();
int VirtualScreenHeight();
ScreenRect VirtualScreenRect();
