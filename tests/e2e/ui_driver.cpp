#include "ui_driver.h"

#include "screen.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace e2e {

namespace {

constexpr UINT kTrayCallback = WM_APP + 100;

struct Field {
  const char* key;
  int Conf::*value;
};

const Field kFields[] = {
    {"$viewscale", &Conf::viewscale}, {"$shadow", &Conf::shadow},
    {"$alerm", &Conf::alerm},         {"$24", &Conf::hour24},
    {"$topmost", &Conf::topmost},     {"$movelock", &Conf::movelock},
    {"$calendar", &Conf::calendar},   {"$hide", &Conf::hide},
    {"$sd", &Conf::sd},               {"$al_time", &Conf::al_time},
};

struct ProcessWindows {
  DWORD pid;
  const char* class_name;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectProc(HWND hwnd, LPARAM lparam) {
  auto* data = reinterpret_cast<ProcessWindows*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (pid == data->pid && lstrcmpA(cls, data->class_name) == 0) data->found.push_back(hwnd);
  return TRUE;
}

std::vector<HWND> WindowsOf(DWORD pid, const char* class_name) {
  ProcessWindows data = {pid, class_name, {}};
  EnumWindows(CollectProc, reinterpret_cast<LPARAM>(&data));
  return data.found;
}

HWND VisibleMenu(const Process& process) {
  for (HWND menu : WindowsOf(process.id, "#32768")) {
    if (IsWindowVisible(menu)) return menu;
  }
  return nullptr;
}

BOOL CALLBACK CountIconProc(HWND hwnd, LPARAM lparam) {
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpA(cls, "__winex11_tray_icon") == 0 && IsWindowVisible(hwnd)) {
    ++*reinterpret_cast<int*>(lparam);
  }
  return TRUE;
}

}  // namespace

ReadBack ReadConf(const std::string& dir) {
  ReadBack result;
  const std::string text = ReadFileBytes(JoinPath(dir, kConfName));
  int lines = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) return result;
    const std::string line = text.substr(start, end - start);
    start = end + 2;
    ++lines;
    const size_t eq = line.find(" = ");
    if (eq == std::string::npos) return result;
    const std::string key = line.substr(0, eq);
    const std::string value = line.substr(eq + 3);
    if (key == "&sd_file") {
      if (value.size() < 2 || value.front() != '"' || value.back() != '"') return result;
      result.conf.sd_file = value.substr(1, value.size() - 2);
    } else if (key == "$pos_x") {
      result.conf.x = std::atoi(value.c_str());
    } else if (key == "$pos_y") {
      result.conf.y = std::atoi(value.c_str());
    } else {
      bool known = false;
      for (const Field& field : kFields) {
        if (key == field.key) {
          result.conf.*field.value = std::atoi(value.c_str());
          known = true;
        }
      }
      if (!known) return result;
    }
  }
  result.ok = lines == 13;
  return result;
}

Running LaunchWith(const Edition& edition, const std::string& dir, const Conf& conf) {
  WriteFileBytes(JoinPath(dir, kConfName), conf.Text());
  // A window that appears under the pointer hears of it later, and would take
  // that stale position over one the test sets after the start.
  PutCursor(1270, 1010);
  return Launch(edition, dir);
}

void PostCommand(HWND window, int id) { PostMessageA(window, WM_COMMAND, id, 0); }

bool SendCommand(HWND window, int id, DWORD timeout_ms) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_COMMAND, id, 0, SMTO_BLOCK, timeout_ms, &result) != 0;
}

void PostTray(HWND shadow, UINT mouse_message) {
  PostMessageA(shadow, kTrayCallback, 1, mouse_message);
}

bool SendTray(HWND shadow, UINT mouse_message) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(shadow, kTrayCallback, 1, mouse_message, SMTO_BLOCK, 5000,
                             &result) != 0;
}

Picture Capture(HWND window) {
  Picture picture;
  RECT r = {};
  GetWindowRect(window, &r);
  picture.width = r.right - r.left;
  picture.height = r.bottom - r.top;
  if (picture.width <= 0 || picture.height <= 0) return {};
  HDC source = GetDC(window);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, picture.width, picture.height, source, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* p = static_cast<const uint32_t*>(bits);
  picture.pixels.assign(p, p + static_cast<size_t>(picture.width) * picture.height);
  for (uint32_t& pixel : picture.pixels) pixel &= 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, source);
  return picture;
}

namespace {

template <typename Visit>
void EachPixel(const Picture& picture, int scale, RECT box, Visit visit) {
  for (int y = box.top * scale; y < box.bottom * scale && y < picture.height; ++y) {
    for (int x = box.left * scale; x < box.right * scale && x < picture.width; ++x) {
      visit(picture.At(x, y));
    }
  }
}

}  // namespace

int CountDark(const Picture& picture, int scale, RECT box) {
  int n = 0;
  EachPixel(picture, scale, box, [&](uint32_t p) {
    if ((p >> 16 & 0xFF) < 80 && (p >> 8 & 0xFF) < 80 && (p & 0xFF) < 80) ++n;
  });
  return n;
}

std::vector<uint32_t> Crop(const Picture& picture, int scale, RECT box) {
  std::vector<uint32_t> pixels;
  EachPixel(picture, scale, box, [&](uint32_t p) { pixels.push_back(p); });
  return pixels;
}

int Outline::Area() const {
  int n = 0;
  for (bool in : inside) n += in;
  return n;
}

Outline ReadOutline(HWND window) {
  PixelSet region;
  ReadRegion(window, region);
  Outline outline;
  outline.width = region.width;
  outline.height = region.height;
  outline.inside.assign(region.in.begin(), region.in.end());
  return outline;
}

Outline Magnify(const Outline& one, int s) {
  Outline big;
  big.width = one.width * s;
  big.height = one.height * s;
  big.inside.resize(static_cast<size_t>(big.width) * big.height);
  for (int y = 0; y < big.height; ++y) {
    for (int x = 0; x < big.width; ++x) {
      big.inside[static_cast<size_t>(y) * big.width + x] =
          one.inside[static_cast<size_t>(y / s) * one.width + x / s];
    }
  }
  return big;
}

bool WaitForOutline(HWND window, const Outline& outline, bool equal, DWORD timeout_ms) {
  return WaitUntil([&] { return (ReadOutline(window) == outline) == equal; }, timeout_ms);
}

HWND WaitForMenu(const Process& process, DWORD timeout_ms) {
  HWND menu = nullptr;
  WaitUntil([&] { return (menu = VisibleMenu(process)) != nullptr; }, timeout_ms);
  return menu;
}

bool WaitForNoMenu(const Process& process, DWORD timeout_ms) {
  return WaitUntil([&] { return VisibleMenu(process) == nullptr; }, timeout_ms);
}

HWND OpenTrayMenu(const Running& app) {
  // Under Wine a menu opened within a second or so of the start can close at
  // once, when the focus events of the start arrive after it; a user would
  // click again.
  for (int attempt = 0; attempt < 4; ++attempt) {
    PostTray(app.shadow, WM_RBUTTONUP);
    HWND menu = WaitForMenu(app.process, 1000);
    if (menu) {
      Sleep(200);
      if (IsWindowVisible(menu)) return menu;
    }
    WaitForNoMenu(app.process, 1000);
  }
  return nullptr;
}

bool MainAboveShadow(const Running& app) {
  for (HWND hwnd = GetTopWindow(nullptr); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
    if (hwnd == app.main) return true;
    if (hwnd == app.shadow) return false;
  }
  return false;
}

void PressKey(HWND window, UINT vk) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
  PostMessageA(window, WM_KEYDOWN, vk, 1 | scan);
  PostMessageA(window, WM_KEYUP, vk, 1 | scan | (3LL << 30));
}

std::wstring WindowTextW(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

HWND WaitForDialog(const Process& process, const std::wstring& title, DWORD timeout_ms) {
  HWND dialog = nullptr;
  WaitUntil([&] {
    for (HWND hwnd : WindowsOf(process.id, "#32770")) {
      if (IsWindowVisible(hwnd) && WindowTextW(hwnd) == title) dialog = hwnd;
    }
    return dialog != nullptr;
  }, timeout_ms);
  return dialog;
}

int CountTrayIcons() {
  HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
  if (!tray) return 0;
  int n = 0;
  EnumChildWindows(tray, CountIconProc, reinterpret_cast<LPARAM>(&n));
  return n;
}

bool WaitForTrayIcons(int count, DWORD timeout_ms) {
  return WaitUntil([&] { return CountTrayIcons() == count; }, timeout_ms);
}

StartedTogether::~StartedTogether() {
  for (Process& process : processes) Kill(process);
}

void StartTogether(StartedTogether& group, const std::vector<const Edition*>& editions,
                   const std::vector<std::string>& dirs) {
  std::vector<HANDLE> threads;
  for (size_t i = 0; i < editions.size(); ++i) {
    std::string command = "\"" + JoinPath(DriverDir(), editions[i]->exe) + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    Process process;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                       dirs[i].c_str(), &si, &pi)) {
      threads.push_back(pi.hThread);
      process.handle = pi.hProcess;
      process.id = pi.dwProcessId;
    }
    group.processes.push_back(process);
  }
  for (HANDLE thread : threads) ResumeThread(thread);
  for (HANDLE thread : threads) CloseHandle(thread);
}

int SecondsOfDay() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return t.wHour * 3600 + t.wMinute * 60 + t.wSecond;
}

void WriteAlarms(const std::string& dir, const std::vector<int>& times) {
  std::string text;
  for (int t : times) {
    t %= 24 * 3600;
    char line[32];
    std::snprintf(line, sizeof line, "%d:%d:%d\r\n", t / 3600, t / 60 % 60, t % 60);
    text += line;
  }
  WriteFileBytes(JoinPath(dir, kAlarmName), text);
}

Running LaunchWithAlarmAhead(const Edition& edition, const std::string& dir, Conf conf, int ahead,
                             Outline* idle_outline) {
  conf.alerm = 1;
  const int due = SecondsOfDay() + ahead;
  WriteAlarms(dir, {due});
  Running running = LaunchWith(edition, dir, conf);
  if (!running.main) return running;
  const Outline idle = ReadOutline(running.main);
  if (idle_outline) *idle_outline = idle;
  if (edition.layered) {
    // Half a second into the alarm the character drops its folded arms.
    WaitForOutline(running.main, idle, false, (ahead + 3) * 1000);
  } else {
    // The lite character keeps its pose; the alarm is under way once its
    // second has come.
    WaitUntil([&] { return (SecondsOfDay() - due + 86400) % 86400 < 3600; }, (ahead + 3) * 1000);
    Sleep(300);
  }
  return running;
}


}  // namespace e2e
