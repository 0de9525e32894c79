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
#include "win32/tray_win.h"

// The built-in sounds always loop. Without SND_FILENAME the user's text is
// tried as a sound-event name first, then as a file; a missing file gives the
// system's default sound. The module handle goes with SND_RESOURCE only.
void Win32Platform::PlayAlarmSound(AlarmSound sound, const char* path, bool loop) {
  const DWORD flags = SND_ASYNC | (loop ? SND_LOOP : 0);
  switch (sound) {
    case AlarmSound::Laugh:
      PlaySoundA(MAKEINTRESOURCEA(IDW_SOUND_LAUGH), module, flags | SND_RESOURCE);
      break;
    case AlarmSound::Ok:
      PlaySoundA(MAKEINTRESOURCEA(IDW_SOUND_OK), module, flags | SND_RESOURCE);
      break;
    case AlarmSound::File: PlaySoundA(path, nullptr, flags); break;
  }
}

void Win32Platform::StopSound() { PlaySoundA(nullptr, nullptr, 0); }

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

// SetCoalescableTimer (Windows 8 and later) lets the system fire the timer up
// to the tolerance late, together with other timers due about then, so the
// processor leaves its idle state once for several. Older systems lack it.
void Win32Platform::FindCoalescableTimer() {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  FARPROC found = user32 ? GetProcAddress(user32, "SetCoalescableTimer") : nullptr;
  set_coalescable_timer = reinterpret_cast<SetCoalescableTimerCall>(reinterpret_cast<void*>(found));
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

// Raw input (RIDEV_INPUTSINK) could tell of moves over other programs'
// windows; until that path is built the pointer is read on the beat here.
bool Win32Platform::WatchPointer(bool) { return false; }

LocalTime Win32Platform::LocalNow() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond,
          t.wMilliseconds};
}

ScreenRect Win32Platform::VirtualScreen() { return screen; }

void Win32Platform::RefreshVirtualScreen() {
  screen = VirtualScreenRect();
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

// The desktop and the taskbars never count as an application in front.
bool DesktopOrTaskbar(HWND window) {
  if (window == GetDesktopWindow() || window == GetShellWindow()) return true;
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  for (const char* shell : {"Progman", "WorkerW", "Shell_TrayWnd", "Shell_SecondaryTrayWnd"}) {
    if (std::strcmp(name, shell) == 0) return true;
  }
  return false;
}

}  // namespace

// Asked once a second: the cheap questions come first, and the monitor is
// the one recorded when the character last moved or the displays changed.
bool Win32Platform::FullScreenAppInFront() {
  HWND front = GetForegroundWindow();
  RECT r = {};
  if (!front || !main_window || !GetWindowRect(front, &r)) return false;
  const RECT& m = main_monitor;
  if (m.right <= m.left) return false;  // no monitor known yet
  if (r.left > m.left || r.top > m.top || r.right < m.right || r.bottom < m.bottom) return false;
  if (!IsWindowVisible(front) || IsZoomed(front)) return false;
  DWORD process = 0;
  GetWindowThreadProcessId(front, &process);
  return process != GetCurrentProcessId() && !DesktopOrTaskbar(front);
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

// Back from minimised, and active.
void Win32Platform::RestoreWindows() { OpenIcon(shadow_window); }

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
