// The measuring side of tools/measure.sh, run under Wine in the same prefix
// as the programs it measures. Prints one result line per figure; the script
// reads them.
//   measure_probe.exe hold SECONDS
//   measure_probe.exe close CLASS
//   measure_probe.exe firstframe WORKDIR CLASS RRGGBB BOX_X BOX_Y BOX_W BOX_H EXE [ARGS...]
//   measure_probe.exe alarm WORKDIR TRIALS EXE
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kMainClass[] = "KurimaroLite";  // the full edition's character window
constexpr DWORD kWindowTimeoutMs = 15000;

double NowMs() {
  LARGE_INTEGER frequency, count;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Local time of day in milliseconds, from the same clock the program reads.
double LocalMsOfDay() {
  FILETIME utc, local;
  GetSystemTimePreciseAsFileTime(&utc);
  FileTimeToLocalFileTime(&utc, &local);
  const ULONGLONG t = (static_cast<ULONGLONG>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
  constexpr ULONGLONG kDay = 864000000000ULL;  // 100 ns units; the epoch is a midnight
  return static_cast<double>(t % kDay) / 10000.0;
}

struct Child {
  HANDLE process = nullptr;
  DWORD id = 0;
};

Child Launch(const std::string& command_line, const std::string& work_dir) {
  std::string command = command_line;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  Child child;
  if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, work_dir.c_str(),
                     &si, &pi)) {
    CloseHandle(pi.hThread);
    child.process = pi.hProcess;
    child.id = pi.dwProcessId;
  }
  return child;
}

struct FindData {
  DWORD pid;  // 0: any process
  const char* class_name;
  HWND found;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lparam) {
  auto* data = reinterpret_cast<FindData*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (data->pid != 0 && pid != data->pid) return TRUE;
  char cls[256] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpA(cls, data->class_name) != 0) return TRUE;
  data->found = hwnd;
  return FALSE;
}

HWND FindTopWindow(DWORD pid, const char* class_name) {
  FindData data = {pid, class_name, nullptr};
  EnumWindows(FindProc, reinterpret_cast<LPARAM>(&data));
  return data.found;
}

HWND WaitForTopWindow(DWORD pid, const char* class_name, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  do {
    if (HWND found = FindTopWindow(pid, class_name)) return found;
    Sleep(1);
  } while (GetTickCount() - start < timeout_ms);
  return nullptr;
}

// WM_CLOSE to the window's owner when it has one (the mascot ends through its
// shadow window), then waits; a program that does not end is terminated.
void CloseChild(Child& child, HWND window) {
  if (!child.process) return;
  if (window) {
    HWND owner = GetWindow(window, GW_OWNER);
    PostMessageA(owner ? owner : window, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(child.process, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(child.process, 1);
    WaitForSingleObject(child.process, 5000);
  }
  CloseHandle(child.process);
  child.process = nullptr;
}

// Screen pixels of a rectangle, read the way a screenshot would be.
class ScreenReader {
 public:
  ScreenReader(int width, int height) : width_(width), height_(height) {
    screen_ = GetDC(nullptr);
    memory_ = CreateCompatibleDC(screen_);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<const DWORD*>(bits);
    old_ = SelectObject(memory_, bitmap_);
  }
  ~ScreenReader() {
    SelectObject(memory_, old_);
    DeleteObject(bitmap_);
    DeleteDC(memory_);
    ReleaseDC(nullptr, screen_);
  }
  ScreenReader(const ScreenReader&) = delete;
  ScreenReader& operator=(const ScreenReader&) = delete;

  // Whether any pixel of the rectangle at (x, y) has exactly the colour 0xRRGGBB.
  bool Shows(int x, int y, DWORD rgb) {
    if (!bits_) return false;
    BitBlt(memory_, 0, 0, width_, height_, screen_, x, y, SRCCOPY);
    GdiFlush();
    for (int i = 0; i < width_ * height_; ++i)
      if ((bits_[i] & 0xFFFFFF) == rgb) return true;
    return false;
  }

 private:
  int width_, height_;
  HDC screen_ = nullptr;
  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  const DWORD* bits_ = nullptr;
};

int Hold(int seconds) {
  Sleep(static_cast<DWORD>(seconds) * 1000);
  return 0;
}

int Close(const char* class_name) {
  HWND window = FindTopWindow(0, class_name);
  if (!window) return 0;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
  Child child = {process, pid};
  CloseChild(child, window);
  return 0;
}

// Time from CreateProcess until the colour shows in the box (window
// coordinates) of the program's window of that class.
int FirstFrame(char** argv, int argc) {
  const std::string work_dir = argv[0];
  const char* class_name = argv[1];
  const DWORD rgb = std::strtoul(argv[2], nullptr, 16);
  const int box_x = std::atoi(argv[3]), box_y = std::atoi(argv[4]);
  ScreenReader reader(std::atoi(argv[5]), std::atoi(argv[6]));
  std::string command = std::string("\"") + argv[7] + "\"";
  for (int i = 8; i < argc; ++i) command += std::string(" ") + argv[i];

  const double start = NowMs();
  Child child = Launch(command, work_dir);
  if (!child.process) {
    std::printf("firstframe none cannot-start\n");
    return 1;
  }
  HWND window = WaitForTopWindow(child.id, class_name, kWindowTimeoutMs);
  const double window_ms = NowMs() - start;
  double frame_ms = -1;
  if (window) {
    RECT rect;
    GetWindowRect(window, &rect);
    while (NowMs() - start < 10000) {
      if (reader.Shows(rect.left + box_x, rect.top + box_y, rgb)) {
        frame_ms = NowMs() - start;
        break;
      }
      Sleep(1);
    }
  }
  if (!window) std::printf("firstframe none no-window\n");
  else if (frame_ms < 0) std::printf("firstframe none colour-not-shown %.1f\n", window_ms);
  else std::printf("firstframe %.1f %.1f\n", window_ms, frame_ms);
  CloseChild(child, window);
  return 0;
}

// The region's rectangles; empty when the window has none.
std::string RegionRects(HWND window) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  std::string rects;
  const int type = GetWindowRgn(window, region);
  if (type != ERROR && type != NULLREGION) {
    const DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<char> data(size);
    if (size && GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data())) == size) {
      const auto* header = reinterpret_cast<const RGNDATAHEADER*>(data.data());
      rects.assign(data.data() + header->dwSize, header->nCount * sizeof(RECT));
    }
  }
  DeleteObject(region);
  return rects;
}

// Replaced whole, so the program never reads a half-written file.
void WriteAlarmFile(const std::string& work_dir, int alarm_sec) {
  const std::string path = work_dir + "\\alerm.txt";
  const std::string temp = work_dir + "\\alerm.tmp";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return;
  std::fprintf(f, "%d:%02d:%02d\r\n", alarm_sec / 3600, alarm_sec / 60 % 60, alarm_sec % 60);
  std::fclose(f);
  MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

struct TrialResult {
  int alarm_sec;
  bool changed;    // the outline changed before the trial gave up
  double latency;  // ms from the alarm's second to the change; negative: before it
};

// One alarm: written a few seconds ahead, then the time from the start of its
// second until the main window's outline first changes.
TrialResult AlarmTrial(HWND main, const std::string& work_dir, const std::string& baseline,
                       int last_alarm_sec) {
  double now = LocalMsOfDay();
  // Alarm times past midnight would wrap; wait for the new day instead.
  if (now > (86400 - 15) * 1000.0) {
    Sleep(static_cast<DWORD>(86400 * 1000.0 - now) + 500);
    now = LocalMsOfDay();
    last_alarm_sec = -10;
  }
  // Two to three seconds ahead: the file watch needs up to a second and the
  // next paint arms the alarm.
  TrialResult result = {static_cast<int>(now / 1000) + 3, false, 0};
  if (result.alarm_sec < last_alarm_sec + 3) result.alarm_sec = last_alarm_sec + 3;
  WriteAlarmFile(work_dir, result.alarm_sec);

  const double alarm_ms = result.alarm_sec * 1000.0;
  while (LocalMsOfDay() < alarm_ms + 4000) {
    if (RegionRects(main) != baseline) {
      result.changed = true;
      result.latency = LocalMsOfDay() - alarm_ms;
      break;
    }
    Sleep(1);
  }
  PostMessageA(main, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 100));
  // The stopped alarm returns to the idle outline; the next trial measures from it.
  const double stop = NowMs();
  while (NowMs() - stop < 3000 && RegionRects(main) != baseline) Sleep(5);
  return result;
}

int Alarm(char** argv) {
  const std::string work_dir = argv[0];
  const int trials = std::atoi(argv[1]);
  Child child = Launch(std::string("\"") + argv[2] + "\"", work_dir);
  HWND main = child.process ? WaitForTopWindow(child.id, kMainClass, kWindowTimeoutMs) : nullptr;
  if (!main) {
    std::printf("alarm none no-window\n");
    CloseChild(child, nullptr);
    return 1;
  }
  std::string baseline;
  const double start = NowMs();
  while ((baseline = RegionRects(main)).empty() && NowMs() - start < 5000) Sleep(10);
  if (baseline.empty()) {
    std::printf("alarm none no-region\n");
    CloseChild(child, main);
    return 0;
  }
  int last_alarm_sec = -10;
  int misses_in_a_row = 0;
  for (int i = 1; i <= trials; ++i) {
    const TrialResult trial = AlarmTrial(main, work_dir, baseline, last_alarm_sec);
    last_alarm_sec = trial.alarm_sec;
    if (!trial.changed) {
      std::printf("trial %d %d none\n", i, trial.alarm_sec);
      // Two silent alarms in a row: the program does not ring yet.
      if (++misses_in_a_row == 2) break;
    } else {
      std::printf("trial %d %d %s%.1f\n", i, trial.alarm_sec, trial.latency < 0 ? "early " : "",
                  trial.latency < 0 ? -trial.latency : trial.latency);
      misses_in_a_row = 0;
    }
    std::fflush(stdout);
  }
  CloseChild(child, main);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  int status = 2;
  if (command == "hold" && argc == 3) status = Hold(std::atoi(argv[2]));
  else if (command == "close" && argc == 3) status = Close(argv[2]);
  else if (command == "firstframe" && argc >= 10) status = FirstFrame(argv + 2, argc - 2);
  else if (command == "alarm" && argc == 5) status = Alarm(argv + 2);
  else std::fprintf(stderr, "usage: see the head of tools/measure/probe.cpp\n");
  std::fflush(stdout);
  return status;
}
