#pragma once

// The driver for the real programs under Wine: starts them in a working
// directory of their own, finds their windows, talks to them with window
// messages, and reads what they show and what they wrote. driver.cpp holds
// processes, windows, messages and files; driver_screen.cpp outlines,
// screenshots and the pictures the rendering core says belong on screen.

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "render/paint.h"
#include "render/sprites.h"
#include "settings/settings.h"
#include "tests/driver_common/driver_common.h"

// Window rectangles compare and print as values in test expectations.
inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const RECT& a, const RECT& b) { return !(a == b); }
std::ostream& operator<<(std::ostream& out, const RECT& r);

namespace e2e {

using namespace drivers;

// One edition's program.
struct Program {
  const char* name;          // for test names
  const char* exe;           // file name beside the driver
  const char* title;         // window titles and box captions
  const char* main_class;
  bool layered;              // full edition: layered windows
};
extern const Program kFull;
extern const Program kLite;

// Menu command ids, as the resource and the program's menu code number them.
enum Command : int {
  kSizeX1 = 40009,  // x2 .. x10 follow
  kTopmost = 40031,
  kCalendar = 40032,
  kAlarmDisplay = 40033,
  kHour24 = 40034,
  kExit = 40037,
  kAbout = 40040,
  kMoveLock = 40041,
  kSoundOk = 40046,
  kWaveFile = 40048,
  kWaveFileLoop = 40050,
  kSoundLaugh = 40051,
  kShadow = 40061,
  kTray = 40064,
  kStartAtLogin = 40067,
  kEditAlarms = 40066,
};
constexpr UINT kTrayMessage = WM_APP + 100;  // the tray icon's callback, wParam 1
constexpr WPARAM kTrayIcon = 1;
constexpr char kShadowClass[] = "Kurimaro_Shadow";

// ---- The desktop's language ---------------------------------------------

// The test run's locale (LC_ALL, LC_MESSAGES or LANG, the first one set) is
// Japanese. Wine takes the programs' interface language from it.
bool JapaneseDesktop();
// "" when Wine's interface language is the one the locale asks for, else why not.
std::string DesktopLanguageProblem();
// A text as the programs show it on this desktop.
inline std::wstring Shown(const wchar_t* japanese, const wchar_t* english) {
  return JapaneseDesktop() ? japanese : english;
}
// The box a refused second start shows.
std::wstring AlreadyRunningText();

// ---- Files and settings -------------------------------------------------
// Paths are UTF-8 text, handed to the wide file calls.

std::string DriverDir();
// A fresh, empty working directory for one test.
std::string MakeWorkDir(const std::string& name);
void RemoveTree(const std::string& dir);
std::string JoinPath(const std::string& dir, const std::string& file);
std::string FullPath(const std::string& path);
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& text);
bool FileExists(const std::string& path);
std::vector<std::string> ListDir(const std::string& dir);
// A FIFO made at path on the Unix side, where Wine runs the system's shell,
// in place of any file there; false when none came. To Wine it is a pipe
// with no attributes, which it can neither delete nor rename over.
bool MakeFifo(const std::string& path);
// A file of UTF-16 text, as the stand-in editor writes it.
std::wstring ReadWideText(const std::string& path);

// The user's editor for .txt files while this lives: the stand-in
// (open_recorder.exe) writes the folder it was started in and the file it was
// given to `record`, one a line. Wine's prefix has no .txt association of its
// own, so without it opening a text file would show nothing.
class TextEditor {
 public:
  explicit TextEditor(const std::string& record);
  ~TextEditor();
  TextEditor(const TextEditor&) = delete;
  TextEditor& operator=(const TextEditor&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

// The settings file as the program left it in dir (ParseConf).
Conf ReadConf(const std::string& dir);
// The settings a program reads from that file, as far as painting goes.
Settings SettingsOf(const Conf& conf);

SYSTEMTIME LocalNow();
int SecondOfDay(const SYSTEMTIME& t);
LocalTime ToLocalTime(const SYSTEMTIME& t);
// Waits until the local clock stands between 350 and 650 ms into a second, so
// that the last paint and a screenshot taken now show that same second.
SYSTEMTIME WaitForMidSecond();

// ---- Processes ----------------------------------------------------------

struct Process {
  HANDLE handle = nullptr;
  DWORD id = 0;
  HANDLE thread = nullptr;  // only while started suspended
};

// The program's file beside the driver, quoted for a command line.
std::string CommandLine(const Program& program);
// The program's file loaded as data, to read its resources; FreeLibrary it.
HMODULE LoadAsData(const Program& program);
// Starts a command line in work_dir (the driver's own when empty). Every
// process started is ended by KillStragglers if it still runs then.
Process Start(const std::string& command_line, const std::string& work_dir,
              bool suspended = false);
// Exit code; -1 when the process has not ended within the time, and it is
// then ended.
int WaitForExit(Process& process, DWORD timeout_ms);
// Ends every program this driver started that is still running, so that a
// failed test does not hold the single-instance lock for the next one.
void KillStragglers();

// An edition started and both its windows found.
struct Running {
  Process process;
  HWND main = nullptr;
  HWND shadow = nullptr;
};
// Where Launch parks the cursor: a window that appears under the pointer
// hears of it later, and would take that stale position over one the test
// sets after the start.
constexpr POINT kParkedCursor = {1270, 1010};
// Writes the settings file when conf is given, parks the cursor, starts the
// edition in dir and waits until both its windows exist.
Running Launch(const Program& edition, const std::string& dir,
               const std::optional<Conf>& conf = std::nullopt);
// Waits for the windows of an edition's process already started.
Running Attach(const Process& process, const Program& edition);
// Starts every edition in its directory at the same moment: all are created
// suspended, then let go together.
std::vector<Process> StartTogether(const std::vector<const Program*>& editions,
                                   const std::vector<std::string>& dirs);
// WM_CLOSE to the shadow window, the way Exit ends the program; exit code or -1.
int CloseAndWait(Running& running);
// Launches with alarms on and one alarm `ahead` seconds from now (its second
// of the day in *due when asked for), and waits until it rings (full edition:
// the outline leaves the idle one, returned in *idle).
struct Outline;
Running LaunchWithAlarmAhead(const Program& edition, const std::string& dir, Conf conf, int ahead,
                             Outline* idle, int32_t* due = nullptr);

// ---- Windows and messages -----------------------------------------------

struct WindowInfo {
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
WindowInfo ReadWindow(HWND hwnd);
RECT Rect(int left, int top, int width, int height);

// The process's top-level windows of that class, shown or not.
std::vector<HWND> WindowsOf(const Process& process, const char* class_name);
// The first of them, waiting up to timeout_ms; null when none came.
HWND WaitForWindow(const Process& process, const char* class_name, DWORD timeout_ms);
// A shown popup menu ("#32768") of the process; null when none came.
HWND WaitForMenu(const Process& process, DWORD timeout_ms);
// A shown dialog or message box ("#32770") of the process with that title.
HWND WaitForDialog(const Process& process, const std::string& title, DWORD timeout_ms);
HWND WaitForDialog(const Process& process, const std::wstring& title, DWORD timeout_ms);
std::wstring WindowTextW(HWND window);
// A message box's text (its control 0xFFFF).
std::wstring MessageBoxText(HWND box);
// A shown dialog or message box of the process owned by that window.
HWND WaitForOwnedDialog(const Process& process, HWND owner, DWORD timeout_ms);
// Presses a dialog's button (IDOK, IDCANCEL); true once the dialog has gone.
bool AnswerDialog(HWND dialog, int button);

// Through the window's queue, returning at once.
void Post(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);
// Handled before this returns; true when it was within the time. The
// window's answer goes to *answer when asked for.
bool Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0,
          DWORD timeout_ms = 5000, DWORD_PTR* answer = nullptr);
// Puts the mouse cursor at a screen point. Under Wine the X server's report of
// an earlier move can reach a program late and set the cursor back, so this
// waits for the moves to settle and puts it again if one did.
void PutCursor(POINT at);
// The left button pressed at a point of the character (window pixels), and the
// pointer moved to a screen point with it held; both sent, the cursor put first.
bool PressLeft(const Running& app, POINT grab);
bool DragTo(const Running& app, POINT screen);

// The character's right click at a screen point, and the menu it opened.
HWND OpenCharacterMenu(const Running& app, POINT at, DWORD timeout_ms = 3000);
// The tray icon's right click, and the menu it opened; null when none stayed.
HWND OpenTrayMenu(const Running& app, int attempts = 4);
// Presses the keys in the menu one after another; true once it has closed.
bool DriveMenu(const Running& app, HWND menu, std::initializer_list<UINT> keys);

// Visible icons in Wine's own tray window; 0 when it is not there.
int CountTrayIcons();

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

// An environment variable set for the programs started while this lives.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// ---- What the X server maps (x_events.sh) -------------------------------

// The X window Wine's X11 driver made for a top-level window; 0 when none.
unsigned long XWindowOf(HWND window);

// The X server's reports of windows mapped, as tests/e2e/x_events.sh records
// them. Each stretch is bounded by a window of the driver's own mapped and
// found in the record, since the record lags the server a little.
class MapRecord {
 public:
  MapRecord();
  ~MapRecord();
  MapRecord(const MapRecord&) = delete;
  MapRecord& operator=(const MapRecord&) = delete;
  // False when the driver runs without x_events.sh or the record stays empty.
  bool ok() const { return ok_; }
  // Begins a stretch; false when the record did not show the bound.
  bool Mark();
  // The X windows mapped since the last mark, in order; ends the stretch and
  // begins the next.
  std::vector<unsigned long> MappedSinceMark();

 private:
  std::vector<unsigned long> Maps() const;  // every map recorded, in order
  std::string path_;
  HWND marker_ = nullptr;
  size_t marked_ = 0;  // maps recorded up to and with the last bound
  bool ok_ = false;
};

// ---- Sound ------------------------------------------------------------------

// The wall clock in 100 ns units (UTC): the alarms' seconds, the clicks and
// what a recording heard are all read on it.
int64_t WallClock();
constexpr int64_t kWallSecond = 10000000;
constexpr int64_t kWallMs = kWallSecond / 1000;
// A WAVE file of a pure tone, loud from its first sample to its last.
void WriteToneWave(const std::string& path, int ms, int hz);

// A stretch of sound heard, in wall-clock time.
struct Sound {
  int64_t from;
  int64_t to;
};

// What a sound server's monitor hears, recorded into a growing file of 16-bit
// mono samples at 8000 Hz (tests/e2e/sound.sh runs the recorder). Watching the
// file grow ties its samples to the wall clock: the samples written by a
// moment were all made by then, so the earliest (moment - samples written)
// bounds the time of the first sample, to within the recorder's fragments of
// about 10 ms.
class Recording {
 public:
  explicit Recording(const std::string& path) : path_(path) {}
  // Watches the file grow for ms.
  void Sync(DWORD ms);
  // How far the last watch puts the first sample after the earliest: samples
  // lost, or a server clock apart from the wall clock.
  int64_t Slip() const { return last_ - start_; }
  // Sounds between two times; silences shorter than gap_ms do not part them.
  std::vector<Sound> Sounds(int64_t from, int64_t to, int gap_ms) const;

 private:
  std::string path_;
  int64_t start_ = INT64_MAX;  // the first sample's time, best bound so far
  int64_t last_ = INT64_MAX;   // the last watch's bound
};

// ---- Outlines and pictures (driver_screen.cpp) --------------------------

// A window's outline: one byte per window pixel, 1 = inside. Empty (0 x 0)
// when the window has no region and shows its whole rectangle.
struct Outline {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> in;
  bool Contains(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < height && in[y * width + x];
  }
  int Area() const;
  bool operator==(const Outline& o) const {
    return width == o.width && height == o.height && in == o.in;
  }
  bool operator!=(const Outline& o) const { return !(*this == o); }
};
Outline ReadOutline(HWND window);
// The outline at scale s of one at scale 1: the scaled sprites are
// whole-number enlargements, and so are their outlines.
Outline Magnify(const Outline& one, int s);
// "" when equal, else how many pixels differ and where the first one is.
std::string Difference(const Outline& actual, const Outline& expected);

// A screenshot of a screen rectangle or of where a window stands, 0x00RRGGBB
// pixels, top row first.
Surface Capture(const RECT& screen_rect);
Surface Capture(HWND window);
// Boxes of window pixels at scale 1 (right and bottom exclusive); every
// reader multiplies them by the scale.
inline constexpr RECT kWholeWindow = {0, 0, kPictureWidth, kPictureHeight};
inline constexpr RECT kAlarmRow = {1, 17, 54, 24};  // ALM tag and small digits
inline constexpr RECT kLenses = {58, 28, 76, 36};   // both lenses with a margin
// Dark pixels inside such a box.
int CountDark(const Surface& shot, int scale, RECT box);
// The pixels of such a box, for before-and-after comparisons.
std::vector<uint32_t> Crop(const Surface& shot, int scale, RECT box);
// "" when every pixel of the box that is also inside the outline is the same
// in both pictures, else a count and the first difference.
std::string PictureDifference(const Surface& shot, const Surface& expected, const Outline& inside,
                              int scale, RECT box = kWholeWindow);
// Writes a picture as a 24-bit .bmp, to look at when a comparison fails.
void SaveBitmap(const std::string& path, const Surface& picture);

// Everything that decides one paint of the main window.
struct Moment {
  Settings settings;                // viewscale, calendar, alerm, hour24
  std::vector<int32_t> alarms;      // seconds of the day, as in alerm.txt
  LocalTime time = {};
  POINT pointer = {};               // screen pixels
  POINT origin = {};                // the main window's top-left
  Mode mode = Mode::Idle;          // behaviour mode
  int32_t pose = 0;                 // frame
};

// The artwork of one edition's program, read from its own resources, and the
// rendering core's pictures and masks built from it.
class Artwork {
 public:
  explicit Artwork(const Program& edition);
  ~Artwork();
  Artwork(const Artwork&) = delete;
  Artwork& operator=(const Artwork&) = delete;

  bool ok() const { return ok_; }
  // Frame k's outline at scale s.
  Outline Mask(int frame, int scale) const;
  // The picture the program paints at that moment, 88s x 80s.
  Surface Picture(const Moment& moment);

 private:
  HMODULE module_ = nullptr;
  Sprites sprites_;
  bool ok_ = false;
};

// "" when the main window's alarm row looks as it does in that behaviour
// mode, checked in the middle of the next second of the wanted parity (a
// running alarm hides the lite edition's ALM tag on even seconds).
std::string AlarmRowAt(Artwork& art, HWND main, const Conf& conf,
                       const std::vector<int32_t>& alarms, Mode mode, bool even);

}  // namespace e2e
