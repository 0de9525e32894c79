#pragma once

// A small driver for the real programs under Wine: starts them in a working
// directory of their own, finds their windows, reads what they show and
// what they wrote, and talks to them with window messages.

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct Edition {
  const char* name;          // for test names
  const char* exe;           // file name beside the driver
  const char* title;         // window titles and box captions
  const char* main_class;
  bool layered;              // full edition: layered windows
};

extern const Edition kFull;
extern const Edition kLite;

struct Process {
  HANDLE handle = nullptr;
  DWORD id = 0;
};

struct WindowInfo {
  HWND hwnd = nullptr;
  std::string class_name;
  std::string title;
  RECT rect = {};
  LONG_PTR style = 0;
  LONG_PTR ex_style = 0;
  HWND owner = nullptr;
  bool visible = false;
  bool iconic = false;
  bool has_alpha = false;    // GetLayeredWindowAttributes succeeded with LWA_ALPHA
  BYTE alpha = 0;
};

std::string DriverDir();
// A fresh, empty working directory for one test.
std::string MakeWorkDir(const std::string& name);
std::string JoinPath(const std::string& dir, const std::string& file);

Process Start(const Edition& edition, const std::string& work_dir);
// Exit code, or -1 when the process has not ended within the time.
int WaitForExit(Process& process, DWORD timeout_ms);
void Kill(Process& process);
// Ends every program this driver started that is still running, so that a
// failed test does not hold the single-instance lock for the next one.
void KillStragglers();

// The process's top-level window of that class, waiting up to timeout_ms.
HWND WaitForWindow(const Process& process, const char* class_name, DWORD timeout_ms);
WindowInfo ReadWindow(HWND hwnd);
// A message box of the process with the caption, waiting up to timeout_ms.
HWND WaitForMessageBox(const Process& process, const char* caption, DWORD timeout_ms);
std::wstring MessageBoxText(HWND box);
void PressOk(HWND box);

// Starts the edition in dir and waits until both its windows exist.
struct Running {
  Process process;
  HWND main = nullptr;
  HWND shadow = nullptr;
};
Running Launch(const Edition& edition, const std::string& work_dir);
// WM_CLOSE to the shadow window, the way Exit ends the program; exit code or -1.
int CloseAndWait(Running& running);

// SendMessageTimeout: true when the window handled the message within the time.
bool Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD timeout_ms = 3000);
// Puts the mouse cursor at a screen point. Under Wine the X server's report of
// an earlier move can reach a program late and set the cursor back, so this
// waits for the moves to settle and puts it again if one did.
void PutCursor(int x, int y);

// Polls the condition every 10 ms until it holds or the time is up.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
    Sleep(10);
  }
}

// Changes to the files of one directory, seen from the moment of construction.
class DirectoryWatch {
 public:
  explicit DirectoryWatch(const std::string& dir);
  ~DirectoryWatch();
  DirectoryWatch(const DirectoryWatch&) = delete;
  DirectoryWatch& operator=(const DirectoryWatch&) = delete;
  // How often a file of that name came into being (created, or renamed onto
  // that name), counting what the system reports within settle_ms.
  int Arrivals(const std::string& name, DWORD settle_ms);

 private:
  void Issue();
  HANDLE dir_ = INVALID_HANDLE_VALUE;
  OVERLAPPED overlapped_ = {};
  alignas(DWORD) char buffer_[16384];
  std::vector<std::pair<DWORD, std::string>> events_;
};

// The settings file's thirteen lines, start-up values unless changed.
struct Conf {
  int viewscale = 2, shadow = 1, alerm = 0, hour24 = 0, topmost = 1, movelock = 0, calendar = 1,
      hide = 0, sd = 0, al_time = 0;
  std::string sd_file;
  int x = 100, y = 100;
  std::string Text() const;
};
constexpr char kConfName[] = "KurimaroConf.dat";
constexpr char kAlarmName[] = "alerm.txt";

bool FileExists(const std::string& path);
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::vector<std::string> ListDir(const std::string& dir);

}  // namespace e2e
