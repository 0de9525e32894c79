#include "win32/platform_win.h"

#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "resources/resource_ids.h"
#include "settings/wide_path_win.h"
#include "shell/windows.h"
#include "win32/dialogs_win.h"
#include "win32/menu_win.h"
#include "win32/present_win.h"
#include "win32/region_win.h"
#include "win32/startup_link_win.h"
#include "win32/tray_win.h"

// SND_FILENAME takes the user's text as a file's name only, never a sound
// event's; SND_NODEFAULT keeps a sound that cannot play from becoming the
// system's default one. The module handle goes with SND_RESOURCE only.
void Win32Platform::PlayAlarmSound(AlarmSound sound, const char* path, bool loop) {
  const DWORD flags = SND_ASYNC | SND_NODEFAULT | (loop ? SND_LOOP : 0);
  switch (sound) {
    case AlarmSound::Laugh:
      PlaySoundW(MAKEINTRESOURCEW(IDW_SOUND_LAUGH), module, flags | SND_RESOURCE);
      break;
    case AlarmSound::Ok:
      PlaySoundW(MAKEINTRESOURCEW(IDW_SOUND_OK), module, flags | SND_RESOURCE);
      break;
    case AlarmSound::File:
      // Wide, so that the path reaches the file as the dialog found it.
      // PlaySound answers FALSE when it cannot find the file; the laugh then
      // plays rather than nothing. (Wine answers an asynchronous call TRUE
      // before it looks for the file.)
      if (!PlaySoundW(WaveFilePath(path).c_str(), nullptr, flags | SND_FILENAME)) {
        PlaySoundW(MAKEINTRESOURCEW(IDW_SOUND_LAUGH), module,
                   SND_ASYNC | SND_NODEFAULT | SND_LOOP | SND_RESOURCE);
      }
      break;
  }
}

void Win32Platform::StopSound() { PlaySoundW(nullptr, nullptr, 0); }

void Win32Platform::SetAlarmTimer(uint32_t interval_ms) {
  if (main_window) SetTimer(main_window, TIMER_ALARM_LENGTH, interval_ms, nullptr);
}

void Win32Platform::KillAlarmTimer() {
  if (main_window) KillTimer(main_window, TIMER_ALARM_LENGTH);
}

uint32_t Win32Platform::TickCount() { return GetTickCount(); }

// Read once a second: the attributes cost one query, where a file search
// opens and reads the whole directory. The file system's own time, in 100 ns
// steps (UTC); it is only compared, never shown.
uint64_t Win32Platform::FileStamp(const char* path) {
  WIN32_FILE_ATTRIBUTE_DATA found;
  if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &found)) return 0;
  if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;  // read as missing
  return (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
         found.ftLastWriteTime.dwLowDateTime;
}

// A bitmap resource is a packed DIB, the layout the core reads.
ByteView Win32Platform::Bitmap(int resource_id) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resource_id), MAKEINTRESOURCEA(2));
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  if (!loaded) return {};
  return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(module, found)};
}

namespace {

ScreenRect ReadBounds(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

}  // namespace

ScreenRect Win32Platform::WindowBounds(AppWindow window) {
  return window == AppWindow::Main ? main_bounds : ReadBounds(shadow_window);
}

void Win32Platform::RefreshMainBounds() {
  main_bounds = ReadBounds(main_window);
  RefreshMainMonitor();
}

void Win32Platform::PlaceWindow(AppWindow window, const ScreenRect& b, bool repaint) {
  HWND hwnd = Handle(window);
  if (IsIconic(hwnd)) {
    // Moving a minimised window moves only its parked icon, and a restore
    // brings back the old rectangle: the rectangle it restores to is set
    // instead (screen coordinates, as it is a tool window).
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(hwnd, &placement)) return;
    placement.rcNormalPosition = {b.left, b.top, b.left + b.width, b.top + b.height};
    placement.flags = 0;
    placement.showCmd = IsWindowVisible(hwnd) ? SW_SHOWMINNOACTIVE : SW_HIDE;
    SetWindowPlacement(hwnd, &placement);
    return;
  }
  MoveWindow(hwnd, b.left, b.top, b.width, b.height, repaint);
}

// Each window gets a region object of its own; once handed over, the system
// owns it and frees it when it is replaced or the window goes.
void Win32Platform::ApplyRegion(AppWindow window, const Region& region, bool redraw) {
  HWND hwnd = Handle(window);
  if (!hwnd) return;
  HRGN copy = CreateRegionFromRects(region);
  if (copy && !SetWindowRgn(hwnd, copy, redraw)) DeleteObject(copy);
}

void Win32Platform::StartTimer(uint32_t id, uint32_t interval_ms) {
  if (!main_window) return;
  SetTimer(main_window, id, interval_ms, nullptr);
  if (id == TIMER_FRAME) {
    armed_delay = interval_ms;
    armed_tolerance = 0;
  }
}

void Win32Platform::StopTimer(uint32_t id) {
  if (!main_window) return;
  KillTimer(main_window, id);
  if (id == TIMER_FRAME) armed_delay = 0;
}

namespace {

template <typename Call>
Call Find(const char* module, const char* name) {
  HMODULE loaded = GetModuleHandleA(module);
  FARPROC found = loaded ? GetProcAddress(loaded, name) : nullptr;
  return reinterpret_cast<Call>(reinterpret_cast<void*>(found));
}

}  // namespace

// SetCoalescableTimer (Windows 8 and later) lets the system fire the timer up
// to the tolerance late, together with other timers due about then, so the
// processor leaves its idle state once for several. SHQueryUserNotificationState
// (Vista and later) tells whether the taskbar sees a full-screen application.
// Looked up rather than imported, so that the program starts where they lack.
void Win32Platform::FindNewerCalls() {
  set_coalescable_timer = Find<SetCoalescableTimerCall>("user32.dll", "SetCoalescableTimer");
  query_notification_state =
      Find<QueryNotificationStateCall>("shell32.dll", "SHQueryUserNotificationState");
}

// A window timer repeats; each wake arms the next in its place.
// A timer repeats at its interval until it is set again. A wake asked for a
// little sooner than that interval is left to come at it: each setting costs
// a server call under Wine, and the rest beat and the dance ask for the same
// interval wake after wake. It may then come up to kWakeSlack late, never early.
void Win32Platform::ArmWake(uint32_t delay_ms, uint32_t tolerance_ms) {
  if (!main_window) return;
  constexpr uint32_t kWakeSlack = 10;
  if (tolerance_ms == armed_tolerance && armed_delay >= delay_ms &&
      armed_delay - delay_ms <= kWakeSlack) {
    return;
  }
  armed_delay = delay_ms;
  armed_tolerance = tolerance_ms;
  if (set_coalescable_timer && tolerance_ms > 0) {
    set_coalescable_timer(main_window, TIMER_FRAME, delay_ms, nullptr, tolerance_ms);
  } else {
    SetTimer(main_window, TIMER_FRAME, delay_ms, nullptr);
  }
}

void Win32Platform::CaptureMouse() { SetCapture(main_window); }

void Win32Platform::ReleaseMouse() { ReleaseCapture(); }

ScreenPoint Win32Platform::CursorPosition() {
  POINT p = {};
  GetCursorPos(&p);
  return {p.x, p.y};
}

// Raw input with RIDEV_INPUTSINK hears the mouse over any window, in the
// foreground or not; its first report at rest is the move (main_window.cpp).
// It is heard only at rest: a moving pointer is read at every frame anyway,
// and a fast mouse reports hundreds of times a second. Where registering
// fails, the pointer is read on the beat from then on.
bool Win32Platform::WatchPointer(bool on) {
  if (!raw_pointer || !main_window) return false;
  if (on == pointer_listening) return true;
  RAWINPUTDEVICE mouse = {};
  mouse.usUsagePage = 0x01;  // generic desktop controls
  mouse.usUsage = 0x02;      // mouse
  mouse.dwFlags = on ? RIDEV_INPUTSINK : RIDEV_REMOVE;
  mouse.hwndTarget = on ? main_window : nullptr;
  if (!RegisterRawInputDevices(&mouse, 1, sizeof mouse) && on) {
    raw_pointer = false;
    return false;
  }
  pointer_listening = on;
  return true;
}

// One reading of UTC turned local with the bias GetLocalTime uses, so that
// the offset belongs to the very time shown.
LocalTime Win32Platform::LocalNow() {
  FILETIME utc, local;
  GetSystemTimeAsFileTime(&utc);
  SYSTEMTIME t;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t)) {
    GetLocalTime(&t);
    local = utc;
  }
  const auto ticks = [](const FILETIME& f) {
    return static_cast<int64_t>((static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
  };
  const int64_t offset = (ticks(local) - ticks(utc)) / 10000000;
  return {t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond,
          t.wMilliseconds, static_cast<int32_t>(offset)};
}

ScreenRect Win32Platform::VirtualScreen() { return screen; }

namespace {

BOOL CALLBACK AddMonitor(HMONITOR handle, HDC, LPRECT, LPARAM list) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(handle, &info)) {
    const RECT& m = info.rcMonitor;
    const RECT& w = info.rcWork;
    reinterpret_cast<std::vector<Monitor>*>(list)->push_back(
        {{m.left, m.top, m.right - m.left, m.bottom - m.top},
         {w.left, w.top, w.right - w.left, w.bottom - w.top}});
  }
  return TRUE;
}

}  // namespace

void Win32Platform::RefreshVirtualScreen() {
  screen = VirtualScreenRect();
  monitors.clear();
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  RefreshMainMonitor();
}

// Enlarged whole, so that the part goes in one transfer: under Wine each
// costs server calls and an X request.
void Win32Platform::ShowPicture(const Surface& picture, int32_t scale, const PixelBox& area) {
  EnlargePart(picture, scale, area, shown_part);
  const int32_t x = std::max(area.left, 0) * scale, y = std::max(area.top, 0) * scale;
  if (paint_dc) {
    PresentPicture(paint_dc, shown_part, x, y);
    return;
  }
  HDC dc = GetDC(main_window);
  PresentPicture(dc, shown_part, x, y);
  ReleaseDC(main_window, dc);
}

// The shadow is a window of its own, owned by the character's, which keeps
// it under the character; a window moved with a repaint fills itself.
void Win32Platform::ShapeShadow(const Region& outline, const ScreenRect& at) {
  ApplyRegion(AppWindow::Shadow, outline, false);
  if (!(WindowBounds(AppWindow::Shadow) == at)) {
    PlaceWindow(AppWindow::Shadow, at, true);
    return;
  }
  HDC dc = GetDC(shadow_window);
  RECT client;
  GetClientRect(shadow_window, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(shadow_window, dc);
}

void Win32Platform::PlaceShadow(const ScreenRect& at) { PlaceWindow(AppWindow::Shadow, at, false); }

void Win32Platform::ShowShadow(bool shown) { ShowWindowNow(AppWindow::Shadow, shown); }

void Win32Platform::CloseProgram() { PostMessageA(shadow_window, WM_CLOSE, 0, 0); }

void Win32Platform::ShowWindowNow(AppWindow window, bool shown) {
  ShowWindow(Handle(window), shown ? SW_SHOWNA : SW_HIDE);
}

namespace {

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  if (window) GetWindowThreadProcessId(window, &process);
  return process;
}

// The taskbar's process (explorer's on Windows), found by its desktop window
// or by the taskbar itself.
DWORD TaskbarProcess() {
  const DWORD shell = ProcessOf(GetShellWindow());
  return shell ? shell : ProcessOf(FindWindowA("Shell_TrayWnd", nullptr));
}

ScreenRect ToScreenRect(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

}  // namespace

// The taskbar steps its notifications aside for a full-screen application, a
// game in exclusive mode or a presentation: the mascot does as it does.
TaskbarVerdict Win32Platform::AskTaskbar() {
  // Wine's answer is always QUNS_ACCEPTS_NOTIFICATIONS, whatever is in front;
  // Windows' taskbar really judges, and is asked there.
  QUERY_USER_NOTIFICATION_STATE state = {};
  if (under_wine || !query_notification_state || FAILED(query_notification_state(&state))) {
    return TaskbarVerdict::Unknown;
  }
  switch (state) {
    case QUNS_BUSY:
    case QUNS_RUNNING_D3D_FULL_SCREEN:
    case QUNS_PRESENTATION_MODE: return TaskbarVerdict::FullScreen;
    default: return TaskbarVerdict::NotFullScreen;
  }
}

// Asked once a second: the cheap questions come first, and the monitor is
// the one recorded when the character last moved or the displays changed.
bool Win32Platform::FullScreenAppInFront() {
  if (!main_window) return false;
  const ScreenRect monitor = ToScreenRect(main_monitor);
  const TaskbarVerdict taskbar = AskTaskbar();
  FrontWindow front;
  HWND window = GetForegroundWindow();
  RECT r = {};
  if (taskbar == TaskbarVerdict::Unknown && window && GetWindowRect(window, &r)) {
    front.bounds = ToScreenRect(r);
    // The rest matters only for a window over the whole monitor.
    if (CoversMonitor(front.bounds, monitor)) {
      front.shown = IsWindowVisible(window) != FALSE;
      front.maximised = IsZoomed(window) != FALSE;
      front.captioned = (GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
      const DWORD process = ProcessOf(window);
      front.ours = process == GetCurrentProcessId();
      front.taskbars = window == GetDesktopWindow() || process == TaskbarProcess();
    }
  }
  return FullScreenInFront(taskbar, front, monitor);
}

void Win32Platform::RefreshMainMonitor() {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  const RECT bounds = {main_bounds.left, main_bounds.top, main_bounds.left + main_bounds.width,
                       main_bounds.top + main_bounds.height};
  if (GetMonitorInfoA(MonitorFromRect(&bounds, MONITOR_DEFAULTTONEAREST), &monitor)) {
    main_monitor = monitor.rcMonitor;
  }
}

// Minimising the shadow window, the owner, hides the character with it on
// Windows; hiding both as well keeps that true where no window manager does.
void Win32Platform::StoreWindows() {
  ShowWindow(shadow_window, SW_HIDE);
  CloseWindow(shadow_window);
  ShowWindow(shadow_window, SW_HIDE);
  ShowWindow(main_window, SW_HIDE);
}

// Back from minimised without showing anything: the shell then shows each
// window as the settings say, so that a shadow kept hidden never flashes on
// the screen. The shadow's procedure keeps this restore hidden and inactive.
void Win32Platform::RestoreWindows() {
  if (!IsIconic(shadow_window)) return;
  restoring_hidden = true;
  ShowWindow(shadow_window, SW_SHOWNOACTIVATE);
  restoring_hidden = false;
}

void Win32Platform::BringToFront(AppWindow window) { SetForegroundWindow(Handle(window)); }

bool Win32Platform::AddTrayIcon() {
  return shadow_window && ::AddTrayIcon(shadow_window, module, tray_icon);
}

void Win32Platform::ApplyTopmost(bool topmost) {
  HWND band = topmost ? HWND_TOPMOST : HWND_NOTOPMOST;
  const UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;
  SetWindowPos(shadow_window, band, 0, 0, 0, 0, flags);
  SetWindowPos(main_window, band, 0, 0, 0, 0, flags);
}

void Win32Platform::TrackMenu(AppWindow owner, Language language,
                              const std::vector<MenuItemState>& items) {
  HMENU menu = LoadContextMenu(module, language);
  if (!menu) return;
  ApplyMenuState(menu, items);
  HWND hwnd = Handle(owner);
  POINT at = {};
  GetCursorPos(&at);
  // From the character the menu rises from the cursor to its right; from the
  // tray icon it rises to its left, away from the screen's edge.
  UINT flags = TPM_BOTTOMALIGN | TPM_RIGHTBUTTON;
  if (owner == AppWindow::Shadow) flags |= TPM_RIGHTALIGN;
  TrackPopupMenu(GetSubMenu(menu, 0), flags, at.x, at.y, 0, hwnd, nullptr);
  // Without this a menu opened from the tray may not close when the user
  // clicks elsewhere; the owner was brought to the front before.
  PostMessageA(hwnd, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

bool Win32Platform::ChooseWaveFile(const char* title, char* path, uint32_t size) {
  return ChooseWaveFileDialog(main_window, title, path, size);
}

void Win32Platform::ShowAbout() { ShowAboutBox(main_window); }

void Win32Platform::OpenDocument(const char* path, const char* directory) {
  ShellExecuteW(nullptr, L"open", WidePath(path).c_str(), nullptr, WidePath(directory).c_str(),
                SW_SHOWNORMAL);
}

bool Win32Platform::StartsAtLogin() { return StartupShortcutExists(); }

void Win32Platform::SetStartAtLogin(bool on, const std::string& start_dir) {
  if (on) CreateStartupShortcut(start_dir);
  else RemoveStartupShortcut();
}

int VirtualScreenWidth() {
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  return width > 0 ? width : GetSystemMetrics(SM_CXFULLSCREEN);
}

int VirtualScreenHeight() {
  return GetSystemMetrics(SM_CXVIRTUALSCREEN) > 0 ? GetSystemMetrics(SM_CYVIRTUALSCREEN)
                                                   : GetSystemMetrics(SM_CYFULLSCREEN);
}

ScreenRect VirtualScreenRect() {
  const bool virtual_known = GetSystemMetrics(SM_CXVIRTUALSCREEN) > 0;
  return {virtual_known ? GetSystemMetrics(SM_XVIRTUALSCREEN) : 0,
          virtual_known ? GetSystemMetrics(SM_YVIRTUALSCREEN) : 0, VirtualScreenWidth(),
          VirtualScreenHeight()};
}
