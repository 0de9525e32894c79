#include "driver.h"

#include <cstdio>

namespace e2e {

const Edition kFull = {"Full", "Kurimaro.exe", "Kurimaro", "KurimaroLite", true};
const Edition kLite = {"Lite", "KurimaroLite.exe", "KurimaroLite", "Kurimaro", false};

std::string DriverDir() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p(path, n);
  return p.substr(0, p.find_last_of("\\/"));
}

std::string JoinPath(const std::string& dir, const std::string& file) { return dir + "\\" + file; }

namespace {

void RemoveTree(const std::string& dir) {
  for (const std::string& name : ListDir(dir)) {
    const std::string path = JoinPath(dir, name);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
    else DeleteFileA(path.c_str());
  }
  RemoveDirectoryA(dir.c_str());
}

void Sleep10() { Sleep(10); }

std::vector<HANDLE>& Started() {
  static std::vector<HANDLE> handles;
  return handles;
}

struct FindData {
  DWORD pid;
  const char* class_name;
  const char* title;
  HWND found;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lparam) {
  auto* data = reinterpret_cast<FindData*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != data->pid) return TRUE;
  char cls[256] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpA(cls, data->class_name) != 0) return TRUE;
  if (data->title) {
    char title[256] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    if (lstrcmpA(title, data->title) != 0) return TRUE;
  }
  data->found = hwnd;
  return FALSE;
}

HWND FindOwnWindow(const Process& process, const char* class_name, const char* title,
                   DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  do {
    FindData data = {process.id, class_name, title, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&data));
    if (data.found) return data.found;
    Sleep10();
  } while (GetTickCount() - start < timeout_ms);
  return nullptr;
}

}  // namespace

std::string MakeWorkDir(const std::string& name) {
  const std::string root = JoinPath(DriverDir(), "..\\e2e-work");
  CreateDirectoryA(root.c_str(), nullptr);
  const std::string dir = JoinPath(root, name);
  RemoveTree(dir);
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

Process Start(const Edition& edition, const std::string& work_dir) {
  std::string command = "\"" + JoinPath(DriverDir(), edition.exe) + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  Process process;
  if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, work_dir.c_str(),
                     &si, &pi)) {
    CloseHandle(pi.hThread);
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), pi.hProcess, GetCurrentProcess(), &copy, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    Started().push_back(copy);
    process.handle = pi.hProcess;
    process.id = pi.dwProcessId;
  }
  return process;
}

int WaitForExit(Process& process, DWORD timeout_ms) {
  if (!process.handle) return -1;
  if (WaitForSingleObject(process.handle, timeout_ms) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process.handle, &code);
  CloseHandle(process.handle);
  process.handle = nullptr;
  return static_cast<int>(code);
}

void Kill(Process& process) {
  if (!process.handle) return;
  TerminateProcess(process.handle, 1);
  WaitForSingleObject(process.handle, 5000);
  CloseHandle(process.handle);
  process.handle = nullptr;
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

HWND WaitForWindow(const Process& process, const char* class_name, DWORD timeout_ms) {
  return FindOwnWindow(process, class_name, nullptr, timeout_ms);
}

HWND WaitForMessageBox(const Process& process, const char* caption, DWORD timeout_ms) {
  return FindOwnWindow(process, "#32770", caption, timeout_ms);
}

WindowInfo ReadWindow(HWND hwnd) {
  WindowInfo info;
  info.hwnd = hwnd;
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
  BYTE alpha = 0;
  DWORD flags = 0;
  if (GetLayeredWindowAttributes(hwnd, &key, &alpha, &flags) && (flags & LWA_ALPHA)) {
    info.has_alpha = true;
    info.alpha = alpha;
  }
  return info;
}

std::wstring MessageBoxText(HWND box) {
  wchar_t text[512] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  return text;
}

void PressOk(HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); }

Running Launch(const Edition& edition, const std::string& work_dir) {
  Running running;
  running.process = Start(edition, work_dir);
  running.shadow = WaitForWindow(running.process, "Kurimaro_Shadow", 15000);
  running.main = WaitForWindow(running.process, edition.main_class, 15000);
  // Both windows exist once the main one does; let start-up finish showing them.
  if (running.main) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(running.main, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &result);
  }
  return running;
}

int CloseAndWait(Running& running) {
  PostMessageA(running.shadow, WM_CLOSE, 0, 0);
  return WaitForExit(running.process, 15000);
}

bool Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD timeout_ms) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, message, wparam, lparam, SMTO_BLOCK, timeout_ms, &result) != 0;
}

void PutCursor(int x, int y) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    // Wine moves the X pointer only when the point differs from the one it
    // keeps, which after a restart of wineserver need not be where it is.
    SetCursorPos(x > 0 ? x - 1 : x + 1, y);
    SetCursorPos(x, y);
    Sleep(40);
    POINT p = {};
    GetCursorPos(&p);
    if (p.x == x && p.y == y) return;
  }
}

namespace {

constexpr DWORD kWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;

}  // namespace

DirectoryWatch::DirectoryWatch(const std::string& dir) {
  dir_ = CreateFileA(dir.c_str(), FILE_LIST_DIRECTORY,
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
      char text[MAX_PATH] = {};
      WideCharToMultiByte(CP_ACP, 0, info->FileName, static_cast<int>(info->FileNameLength / 2),
                          text, MAX_PATH - 1, nullptr, nullptr);
      events_.emplace_back(info->Action, text);
      if (info->NextEntryOffset == 0) break;
      offset += info->NextEntryOffset;
    }
    Issue();
  }
  int count = 0;
  for (const auto& event : events_) {
    const bool arrival = event.first == FILE_ACTION_ADDED ||
                         event.first == FILE_ACTION_RENAMED_NEW_NAME;
    if (arrival && lstrcmpiA(event.second.c_str(), name.c_str()) == 0) ++count;
  }
  return count;
}

std::string Conf::Text() const {
  char text[1024];
  std::snprintf(text, sizeof text,
                "$viewscale = %d\r\n$shadow = %d\r\n$alerm = %d\r\n$24 = %d\r\n$topmost = %d\r\n"
                "$movelock = %d\r\n$calendar = %d\r\n$hide = %d\r\n$sd = %d\r\n$al_time = %d\r\n"
                "&sd_file = \"%s\"\r\n$pos_x = %d\r\n$pos_y = %d\r\n",
                viewscale, shadow, alerm, hour24, topmost, movelock, calendar, hide, sd, al_time,
                sd_file.c_str(), x, y);
  return text;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  std::fclose(f);
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::vector<std::string> ListDir(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(JoinPath(dir, "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

}  // namespace e2e
