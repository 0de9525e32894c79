#include "driver.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "tests/sound_fixture.h"

std::ostream& operator<<(std::ostream& out, const RECT& r) {
  return out << "(" << r.left << ", " << r.top << ") " << r.right - r.left << "x"
             << r.bottom - r.top;
}

namespace e2e {

const Program kFull = {"Full", "Kurimaro.exe", "Kurimaro", "KurimaroLite", true};
const Program kLite = {"Lite", "KurimaroLite.exe", "KurimaroLite", "Kurimaro", false};

// ---- The desktop's language ---------------------------------------------

namespace {

const char* LocaleName() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return "C";
}

}  // namespace

bool JapaneseDesktop() { return std::string(LocaleName()).rfind("ja", 0) == 0; }

std::string DesktopLanguageProblem() {
  const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
  if (japanese == JapaneseDesktop()) return "";
  return std::string("the locale ") + LocaleName() + " gives Wine the interface language " +
         (japanese ? "Japanese" : "English") + "; is it generated (tools/setup.sh)?";
}

std::wstring AlreadyRunningText() {
  return Shown(L"Kurimaro\u3001\u3042\u308b\u3044\u306fKurimaroLite\u304c\u3059\u3067\u306b"
               L"\u8d77\u52d5\u3057\u3066\u3044\u307e\u3059",
               L"Kurimaro or KurimaroLite is already running.");
}

// ---- Files and settings -------------------------------------------------

std::string DriverDir() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::string p = Utf8(std::wstring(path, n));
  return p.substr(0, p.find_last_of("\\/"));
}

std::string JoinPath(const std::string& dir, const std::string& file) { return dir + "\\" + file; }

std::string FullPath(const std::string& path) {
  wchar_t full[MAX_PATH] = {};
  GetFullPathNameW(Wide(path).c_str(), MAX_PATH, full, nullptr);
  return Utf8(full);
}

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0],
                                                      static_cast<int>(wide.size()))) - 1);
  return wide;
}

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], n, nullptr, nullptr);
  utf8.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
  return utf8;
}

namespace {

// Runs a line of the system's shell with the Unix name of path as $1, then
// waits until done holds: a Unix process's end is not told to Wine.
bool UnixShell(const std::wstring& line, const std::string& path,
               const std::function<bool()>& done) {
  using UnixName = char*(__cdecl*)(const wchar_t*);
  const auto unix_name = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
  if (!unix_name) return false;
  char* name = unix_name(Wide(FullPath(path)).c_str());
  if (!name) return false;
  std::wstring command = L"/bin/sh -c \"" + line + L"\" sh \"" + Wide(name) + L"\"";
  HeapFree(GetProcessHeap(), 0, name);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(L"Z:\\bin\\sh", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return WaitUntil(done, 5000);
}

}  // namespace

void RemoveTree(const std::string& dir) {
  for (const std::string& name : ListDir(dir)) {
    const std::wstring path = Wide(JoinPath(dir, name));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(Utf8(path));
    else DeleteFileW(path.c_str());
  }
  RemoveDirectoryW(Wide(dir).c_str());
}

std::string MakeWorkDir(const std::string& name) {
  const std::string root = JoinPath(DriverDir(), "..\\e2e-work");
  CreateDirectoryW(Wide(root).c_str(), nullptr);
  const std::string dir = JoinPath(root, name);
  RemoveTree(dir);
  // A FIFO a test made is gone only by the Unix side's hand.
  if (FileExists(dir)) UnixShell(L"rm -rf \\\"$1\\\"", dir, [&] { return !FileExists(dir); });
  CreateDirectoryW(Wide(dir).c_str(), nullptr);
  return dir;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeFifo(const std::string& path) {
  // Made beside it and renamed over it: Unix renames what Windows would
  // find held open.
  return UnixShell(L"mkfifo \\\"$1.fifo\\\" && mv -f \\\"$1.fifo\\\" \\\"$1\\\"", path, [&] {
    HANDLE pipe = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return false;
    const bool is_pipe = GetFileType(pipe) == FILE_TYPE_PIPE;
    CloseHandle(pipe);
    return is_pipe;
  });
}

std::vector<std::string> ListDir(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Wide(JoinPath(dir, "*")).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = Utf8(data.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

std::wstring ReadWideText(const std::string& path) {
  const std::string bytes = ReadFileBytes(path);
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

namespace {

bool SetClassesValue(const wchar_t* key, const std::wstring& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG set = RegSetValueExW(handle, nullptr, 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return set == ERROR_SUCCESS;
}

}  // namespace

TextEditor::TextEditor(const std::string& record) {
  const std::wstring command = L"\"" + Wide(JoinPath(DriverDir(), "open_recorder.exe")) +
                               L"\" \"" + Wide(record) + L"\" \"%1\"";
  ok_ = SetClassesValue(L".txt", L"KurimaroTest.txt") &&
        SetClassesValue(L"KurimaroTest.txt\\shell\\open\\command", command);
}

TextEditor::~TextEditor() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"KurimaroTest.txt");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L".txt");
}

Conf ReadConf(const std::string& dir) {
  return ParseConf(ReadFileBytes(JoinPath(dir, kConfName)));
}

Settings SettingsOf(const Conf& conf) {
  Settings settings;
  settings.scale = conf.viewscale;
  settings.shadow = conf.shadow != 0;
  settings.show_alarm = conf.alerm != 0;
  settings.hour24 = conf.hour24 != 0;
  settings.topmost = conf.topmost != 0;
  settings.move_lock = conf.movelock != 0;
  settings.show_date = conf.calendar != 0;
  settings.in_tray = conf.hide != 0;
  return settings;
}

SYSTEMTIME LocalNow() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return t;
}

int SecondOfDay(const SYSTEMTIME& t) { return t.wHour * 3600 + t.wMinute * 60 + t.wSecond; }

LocalTime ToLocalTime(const SYSTEMTIME& t) {
  return {t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond};
}

SYSTEMTIME WaitForMidSecond() {
  for (;;) {
    const SYSTEMTIME t = LocalNow();
    if (t.wMilliseconds >= 350 && t.wMilliseconds < 650) return t;
    Sleep(t.wMilliseconds < 350 ? 350 - t.wMilliseconds : 1350 - t.wMilliseconds);
  }
}

// ---- Processes ----------------------------------------------------------

namespace {

std::vector<HANDLE>& Started() {
  static std::vector<HANDLE> handles;
  return handles;
}

}  // namespace

std::string CommandLine(const Program& program) {
  return "\"" + JoinPath(DriverDir(), program.exe) + "\"";
}

HMODULE LoadAsData(const Program& program) {
  return LoadLibraryExW(Wide(JoinPath(DriverDir(), program.exe)).c_str(), nullptr,
                        LOAD_LIBRARY_AS_DATAFILE);
}

Process Start(const std::string& command_line, const std::string& work_dir, bool suspended) {
  std::wstring command = Wide(command_line);
  const std::wstring dir = Wide(work_dir);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  Process process;
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE,
                      suspended ? CREATE_SUSPENDED : 0, nullptr,
                      dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
    return process;
  }
  HANDLE copy = nullptr;
  DuplicateHandle(GetCurrentProcess(), pi.hProcess, GetCurrentProcess(), &copy, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  Started().push_back(copy);
  process.handle = pi.hProcess;
  process.id = pi.dwProcessId;
  if (suspended) process.thread = pi.hThread;
  else CloseHandle(pi.hThread);
  return process;
}

int WaitForExit(Process& process, DWORD timeout_ms) {
  if (!process.handle) return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.handle, timeout_ms) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.handle, &code);
  } else {
    TerminateProcess(process.handle, 1);
    WaitForSingleObject(process.handle, 5000);
  }
  CloseHandle(process.handle);
  process.handle = nullptr;
  return static_cast<int>(code);
}

void KillStragglers() {
  for (HANDLE handle : Started()) {
    if (WaitForSingleObject(handle, 0) == WAIT_TIMEOUT) {
      TerminateProcess(handle, 1);
      WaitForSingleObject(handle, 5000);
    }
    CloseHandle(handle);
  }
  Started().clear();
}

Running Attach(const Process& process, const Program& program) {
  Running running;
  running.process = process;
  running.shadow = WaitForWindow(process, kShadowClass, 15000);
  running.main = WaitForWindow(process, program.main_class, 15000);
  // Start-up ends by showing the character or storing it in the tray; a
  // message answered before then proves nothing, since asking the taskbar
  // for the icon lets the program answer sent messages midway.
  if (running.main) {
    WaitUntil([&] { return IsWindowVisible(running.main) || IsIconic(running.shadow); }, 5000);
    Send(running.main, WM_NULL);
  }
  return running;
}

Running Launch(const Program& program, const std::string& dir, const std::optional<Conf>& conf) {
  if (conf) WriteFileBytes(JoinPath(dir, kConfName), conf->Text());
  PutCursor(kParkedCursor);
  return Attach(Start(CommandLine(program), dir), program);
}

std::vector<Process> StartTogether(const std::vector<const Program*>& programs,
                                   const std::vector<std::string>& dirs) {
  std::vector<Process> processes;
  for (size_t i = 0; i < programs.size(); ++i) {
    processes.push_back(Start(CommandLine(*programs[i]), dirs[i], true));
  }
  for (Process& process : processes) ResumeThread(process.thread);
  for (Process& process : processes) {
    if (process.thread) CloseHandle(process.thread);
    process.thread = nullptr;
  }
  return processes;
}

int CloseAndWait(Running& running) {
  Post(running.shadow, WM_CLOSE);
  return WaitForExit(running.process, 15000);
}

Running LaunchWithAlarmAhead(const Program& program, const std::string& dir, Conf conf, int ahead,
                             Outline* idle_outline, int32_t* due_second) {
  conf.alerm = 1;
  const int due = (SecondOfDay(LocalNow()) + ahead) % 86400;
  if (due_second) *due_second = due;
  WriteAlarms(JoinPath(dir, kAlarmName), {due});
  Running running = Launch(program, dir, conf);
  if (!running.main) return running;
  const Outline idle = ReadOutline(running.main);
  if (idle_outline) *idle_outline = idle;
  if (program.layered) {
    // Half a second into the alarm the character drops its folded arms.
    WaitUntil([&] { return ReadOutline(running.main) != idle; }, (ahead + 3) * 1000);
  } else {
    // The lite character keeps its pose; the alarm is under way once its
    // second has come.
    WaitUntil([&] { return (SecondOfDay(LocalNow()) - due + 86400) % 86400 < 3600; },
              (ahead + 3) * 1000);
    Sleep(300);
  }
  return running;
}

// ---- Windows and messages -----------------------------------------------

WindowInfo ReadWindow(HWND hwnd) {
  WindowInfo info;
  char text[256] = {};
  GetClassNameA(hwnd, text, sizeof text);
  info.class_name = text;
  GetWindowTextA(hwnd, text, sizeof text);
  info.title = text;
  GetWindowRect(hwnd, &info.rect);
  info.style = GetWindowLongPtrA(hwnd, GWL_STYLE);
  info.ex_style = GetWindowLongPtrA(hwnd, GWL_EXSTYLE);
  info.owner = GetWindow(hwnd, GW_OWNER);
  info.visible = IsWindowVisible(hwnd) != FALSE;
  info.iconic = IsIconic(hwnd) != FALSE;
  COLORREF key = 0;
  DWORD flags = 0;
  if (GetLayeredWindowAttributes(hwnd, &key, &info.alpha, &flags) && (flags & LWA_ALPHA)) {
    info.has_alpha = true;
  } else {
    info.alpha = 0;
  }
  return info;
}

RECT Rect(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}

namespace {

struct Search {
  DWORD pid;
  const char* class_name;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectProc(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<Search*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[256] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (pid == search->pid && lstrcmpA(cls, search->class_name) == 0) search->found.push_back(hwnd);
  return TRUE;
}

// The first window of the class that passes the test, waiting up to timeout_ms.
template <typename Test>
HWND WaitForWindowWhere(const Process& process, const char* class_name, DWORD timeout_ms,
                        Test test) {
  HWND found = nullptr;
  WaitUntil([&] {
    for (HWND hwnd : WindowsOf(process, class_name)) {
      if (test(hwnd)) return (found = hwnd) != nullptr;
    }
    return false;
  }, timeout_ms);
  return found;
}

}  // namespace

std::vector<HWND> WindowsOf(const Process& process, const char* class_name) {
  Search search = {process.id, class_name, {}};
  EnumWindows(CollectProc, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(const Process& process, const char* class_name, DWORD timeout_ms) {
  return WaitForWindowWhere(process, class_name, timeout_ms, [](HWND) { return true; });
}

HWND WaitForMenu(const Process& process, DWORD timeout_ms) {
  // Wine keeps a closed menu's window, hidden.
  return WaitForWindowWhere(process, "#32768", timeout_ms,
                            [](HWND hwnd) { return IsWindowVisible(hwnd) != FALSE; });
}

HWND WaitForDialog(const Process& process, const std::wstring& title, DWORD timeout_ms) {
  return WaitForWindowWhere(process, "#32770", timeout_ms, [&](HWND hwnd) {
    return IsWindowVisible(hwnd) && WindowTextW(hwnd) == title;
  });
}

HWND WaitForDialog(const Process& process, const std::string& title, DWORD timeout_ms) {
  return WaitForDialog(process, Wide(title), timeout_ms);
}

std::wstring WindowTextW(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

std::wstring MessageBoxText(HWND box) {
  wchar_t text[512] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  return text;
}

HWND WaitForOwnedDialog(const Process& process, HWND owner, DWORD timeout_ms) {
  return WaitForWindowWhere(process, "#32770", timeout_ms, [&](HWND hwnd) {
    return IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == owner;
  });
}

bool AnswerDialog(HWND dialog, int button) {
  Post(dialog, WM_COMMAND, button);
  return WaitUntil([&] { return !IsWindow(dialog); }, 5000);
}

void Post(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  PostMessageW(window, message, wparam, lparam);
}

bool Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD timeout_ms,
          DWORD_PTR* answer) {
  DWORD_PTR result = 0;
  const bool done =
      SendMessageTimeoutW(window, message, wparam, lparam, SMTO_BLOCK, timeout_ms, &result) != 0;
  if (answer) *answer = result;
  return done;
}

void PutCursor(POINT at) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    // Wine moves the X pointer only when the point differs from the one it
    // keeps, which after a restart of wineserver need not be where it is.
    SetCursorPos(at.x > 0 ? at.x - 1 : at.x + 1, at.y);
    SetCursorPos(at.x, at.y);
    Sleep(40);
    POINT p = {};
    GetCursorPos(&p);
    if (p.x == at.x && p.y == at.y) return;
  }
}

bool PressLeft(const Running& app, POINT grab) {
  const RECT r = ReadWindow(app.main).rect;
  PutCursor({r.left + grab.x, r.top + grab.y});
  return Send(app.main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(grab.x, grab.y));
}

bool DragTo(const Running& app, POINT screen) {
  PutCursor(screen);
  const RECT r = ReadWindow(app.main).rect;
  return Send(app.main, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(screen.x - r.left, screen.y - r.top));
}

HWND OpenCharacterMenu(const Running& app, POINT at, DWORD timeout_ms) {
  PutCursor(at);
  const RECT r = ReadWindow(app.main).rect;
  Post(app.main, WM_RBUTTONUP, 0, MAKELPARAM(at.x - r.left, at.y - r.top));
  return WaitForMenu(app.process, timeout_ms);
}

HWND OpenTrayMenu(const Running& app, int attempts) {
  // Under Wine a menu opened within a second or so of the start can close at
  // once, when the focus events of the start arrive after it; a user would
  // click again.
  for (int attempt = 0; attempt < attempts; ++attempt) {
    Post(app.shadow, kTrayMessage, kTrayIcon, WM_RBUTTONUP);
    HWND menu = WaitForMenu(app.process, 1000);
    if (menu) {
      Sleep(200);
      if (IsWindowVisible(menu)) return menu;
    }
    WaitUntil([&] { return !WaitForMenu(app.process, 0); }, 1000);
  }
  return nullptr;
}

bool DriveMenu(const Running& app, HWND menu, std::initializer_list<UINT> keys) {
  for (UINT vk : keys) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
    Post(menu, WM_KEYDOWN, vk, 1 | scan);
    Post(menu, WM_KEYUP, vk, 1 | scan | (3LL << 30));
    Sleep(50);
  }
  return WaitUntil([&] { return !WaitForMenu(app.process, 0); }, 3000);
}

namespace {

BOOL CALLBACK CountIconProc(HWND hwnd, LPARAM lparam) {
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpA(cls, "__winex11_tray_icon") == 0 && IsWindowVisible(hwnd)) {
    ++*reinterpret_cast<int*>(lparam);
  }
  return TRUE;
}

}  // namespace

int CountTrayIcons() {
  HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
  if (!tray) return 0;
  int n = 0;
  EnumChildWindows(tray, CountIconProc, reinterpret_cast<LPARAM>(&n));
  return n;
}

namespace {

constexpr DWORD kWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;

}  // namespace

DirectoryWatch::DirectoryWatch(const std::string& dir) {
  dir_ = CreateFileW(Wide(dir).c_str(), FILE_LIST_DIRECTORY,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  overlapped_.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  Issue();
}

DirectoryWatch::~DirectoryWatch() {
  if (dir_ != INVALID_HANDLE_VALUE) {
    CancelIo(dir_);
    DWORD ignored = 0;
    GetOverlappedResult(dir_, &overlapped_, &ignored, TRUE);
    CloseHandle(dir_);
  }
  CloseHandle(overlapped_.hEvent);
}

// The system keeps the changes between two reads, so one read at a time suffices.
void DirectoryWatch::Issue() {
  if (dir_ == INVALID_HANDLE_VALUE) return;
  ResetEvent(overlapped_.hEvent);
  ReadDirectoryChangesW(dir_, buffer_, sizeof buffer_, FALSE, kWatchFilter, nullptr, &overlapped_,
                        nullptr);
}

int DirectoryWatch::Arrivals(const std::string& name, DWORD settle_ms) {
  const DWORD start = GetTickCount();
  while (dir_ != INVALID_HANDLE_VALUE) {
    const DWORD spent = GetTickCount() - start;
    if (spent >= settle_ms) break;
    if (WaitForSingleObject(overlapped_.hEvent, settle_ms - spent) != WAIT_OBJECT_0) break;
    DWORD bytes = 0;
    if (!GetOverlappedResult(dir_, &overlapped_, &bytes, FALSE)) break;
    for (DWORD offset = 0; bytes > 0;) {
      const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer_ + offset);
      events_.emplace_back(info->Action,
                           Utf8(std::wstring(info->FileName, info->FileNameLength / 2)));
      if (info->NextEntryOffset == 0) break;
      offset += info->NextEntryOffset;
    }
    Issue();
  }
  int count = 0;
  for (const auto& event : events_) {
    const bool arrival = event.first == FILE_ACTION_ADDED ||
                         event.first == FILE_ACTION_RENAMED_NEW_NAME;
    if (arrival && lstrcmpiW(Wide(event.second).c_str(), Wide(name).c_str()) == 0) ++count;
  }
  return count;
}

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  SetEnvironmentVariableA(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
  SetEnvironmentVariableA(name_.c_str(), old_ ? old_->c_str() : nullptr);
}

// ---- What the X server maps (x_events.sh) -------------------------------

unsigned long XWindowOf(HWND window) {
  // The property Wine's X11 driver keeps on every top-level window it made.
  return static_cast<unsigned long>(
      reinterpret_cast<uintptr_t>(GetPropA(window, "__wine_x11_whole_window")));
}

MapRecord::MapRecord() {
  const char* record = std::getenv("KURIMARO_E2E_XEVENTS");
  if (!record) return;
  path_ = std::string("Z:") + record;  // Wine's drive for the Unix root
  std::replace(path_.begin(), path_.end(), '/', '\\');
  // One pixel in a corner, shown only to bound a stretch.
  marker_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "STATIC", "map marker", WS_POPUP,
                            0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ok_ = marker_ && Mark();
}

MapRecord::~MapRecord() {
  if (marker_) DestroyWindow(marker_);
}

// xev writes each map as
//   MapNotify event, serial 18, synthetic NO, window 0x50d,
//       event 0x50d, window 0xe00001, override YES
// where the second "window" is the one mapped.
std::vector<unsigned long> MapRecord::Maps() const {
  std::vector<unsigned long> maps;
  const std::string text = ReadFileBytes(path_);
  for (size_t at = text.find("MapNotify event"); at != std::string::npos;
       at = text.find("MapNotify event", at + 1)) {
    const size_t line = text.find('\n', at);
    const size_t end = line == std::string::npos ? line : text.find('\n', line + 1);
    if (end == std::string::npos) break;  // the second line is not written yet
    const size_t window = text.find("window 0x", line);
    if (window == std::string::npos || window > end) continue;
    maps.push_back(std::strtoul(text.c_str() + window + 9, nullptr, 16));
  }
  return maps;
}

bool MapRecord::Mark() {
  // Shown again until the record holds it: xev may not be listening yet.
  for (int attempt = 0; attempt < 10; ++attempt) {
    ShowWindow(marker_, SW_HIDE);
    ShowWindow(marker_, SW_SHOWNA);
    const unsigned long marker = XWindowOf(marker_);
    const bool seen = WaitUntil([&] {
      const std::vector<unsigned long> maps = Maps();
      for (size_t i = maps.size(); i > marked_; --i) {
        if (maps[i - 1] == marker) {
          marked_ = i;
          return true;
        }
      }
      return false;
    }, 500);
    if (seen) {
      ShowWindow(marker_, SW_HIDE);
      return true;
    }
  }
  return false;
}

std::vector<unsigned long> MapRecord::MappedSinceMark() {
  const size_t from = marked_;
  if (!Mark()) return {};
  const std::vector<unsigned long> maps = Maps();
  std::vector<unsigned long> mapped;
  for (size_t i = from; i < marked_; ++i) {
    if (maps[i] != XWindowOf(marker_)) mapped.push_back(maps[i]);  // a bound shown once more
  }
  return mapped;
}

// ---- Sound ------------------------------------------------------------------

int64_t WallClock() {
  FILETIME t;
  GetSystemTimePreciseAsFileTime(&t);
  return static_cast<int64_t>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

void WriteToneWave(const std::string& path, int ms, int hz) {
  WriteFileBytes(path, ToneWave(ms, hz));
}

namespace {

constexpr int64_t kWallPerSample = kWallSecond / 8000;

}  // namespace

void Recording::Sync(DWORD ms) {
  const std::wstring path = Wide(path_);
  int64_t bound = INT64_MAX;
  const DWORD begin = GetTickCount();
  do {
    // The size first: the clock read after it is no earlier than any sample counted.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
      const int64_t samples =
          static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) / 2;
      if (samples > 0) bound = std::min(bound, WallClock() - samples * kWallPerSample);
    }
    Sleep(1);
  } while (GetTickCount() - begin < ms);
  last_ = bound;
  start_ = std::min(start_, bound);
}

std::vector<Sound> Recording::Sounds(int64_t from, int64_t to, int gap_ms) const {
  std::vector<Sound> sounds;
  if (start_ == INT64_MAX) return sounds;
  const std::string bytes = ReadFileBytes(path_);
  const auto* samples = reinterpret_cast<const int16_t*>(bytes.data());
  const int64_t count = static_cast<int64_t>(bytes.size() / 2);
  const int64_t first = std::clamp<int64_t>((from - start_) / kWallPerSample, 0, count);
  const int64_t end = std::clamp<int64_t>((to - start_) / kWallPerSample, first, count);
  const auto gap = static_cast<size_t>(gap_ms * kWallMs / kWallPerSample);
  for (const SampleRun& run : LoudRuns(samples, static_cast<size_t>(first),
                                       static_cast<size_t>(end), gap)) {
    sounds.push_back({start_ + static_cast<int64_t>(run.from) * kWallPerSample,
                      start_ + static_cast<int64_t>(run.to) * kWallPerSample});
  }
  return sounds;
}

}  // namespace e2e
