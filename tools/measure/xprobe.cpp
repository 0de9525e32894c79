// The measuring side of tools/measure_linux.sh: starts a program and times
// it from outside, through X, as the Windows probe does through Win32.
// Prints one result line; the script reads it.
//   xprobe firstframe RRGGBB ROLE PROGRAM [ARGS...]
//       ms from the start until the program's window of that role exists,
//       then until the colour first shows in it on the screen
//   xprobe size ROLE PROGRAM [ARGS...]
//       the size of the program's window of that role
//   xprobe alarm DIR TRIALS PROGRAM [ARGS...]
//       per trial, ms from an alarm's second (written to DIR/alerm.txt) to
//       the first change of the outline of the window of role "character"
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

double NowMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Local time of day in ms, as the program reads its clock.
double LocalMsOfDay() {
  timespec t;
  clock_gettime(CLOCK_REALTIME, &t);
  tm local;
  localtime_r(&t.tv_sec, &local);
  const long long seconds = (t.tv_sec + local.tm_gmtoff) % 86400;
  return static_cast<double>(seconds) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

void SleepMs(int ms) { usleep(static_cast<useconds_t>(ms) * 1000); }

// The program's output goes nowhere: it must not hold the probe's pipe open.
pid_t Launch(char** argv) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execvp(argv[0], argv);
    _exit(127);
  }
  return pid;
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 500; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    SleepMs(10);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

// Windows come and go while the tree is walked; a call on one that has
// gone fails and is taken as "not this one" instead of ending the probe.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

class X {
 public:
  X() : display_(XOpenDisplay(nullptr)) {
    if (!display_) return;
    XSetErrorHandler(IgnoreXError);
    root_ = DefaultRootWindow(display_);
    pid_atom_ = XInternAtom(display_, "_NET_WM_PID", False);
    role_atom_ = XInternAtom(display_, "WM_WINDOW_ROLE", False);
  }
  ~X() {
    if (display_) XCloseDisplay(display_);
  }
  X(const X&) = delete;
  X& operator=(const X&) = delete;
  Display* display() const { return display_; }

  // The viewable window of the process with that role; under a window
  // manager it sits inside a frame, so two levels down from the root.
  Window Find(pid_t pid, const char* role) { return FindUnder(root_, pid, role, 3); }

  // Whether any pixel of the window's area on the screen has the colour.
  bool Shows(Window window, unsigned long rgb) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(display_, window, &a)) return false;
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display_, window, root_, 0, 0, &x, &y, &child);
    const int screen_w = DisplayWidth(display_, DefaultScreen(display_));
    const int screen_h = DisplayHeight(display_, DefaultScreen(display_));
    const int x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
    const int x1 = x + a.width > screen_w ? screen_w : x + a.width;
    const int y1 = y + a.height > screen_h ? screen_h : y + a.height;
    if (x1 <= x0 || y1 <= y0) return false;
    XImage* image = XGetImage(display_, root_, x0, y0, x1 - x0, y1 - y0, AllPlanes, ZPixmap);
    if (!image) return false;
    bool found = false;
    for (int j = 0; j < image->height && !found; ++j)
      for (int i = 0; i < image->width && !found; ++i)
        found = (XGetPixel(image, i, j) & 0xFFFFFF) == rgb;
    XDestroyImage(image);
    return found;
  }

  // The bounding shape's rectangles, as bytes; empty when it has none.
  std::string Outline(Window window) {
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(display_, window, ShapeBounding, &count, &ordering);
    std::string out;
    if (rects) {
      out.assign(reinterpret_cast<const char*>(rects), sizeof(XRectangle) * count);
      XFree(rects);
    }
    return out;
  }

  // Two clicks within the double-click time at (x, y) of the window.
  void DoubleClick(Window window, int x, int y) {
    int rx = 0, ry = 0;
    Window child;
    XTranslateCoordinates(display_, window, root_, x, y, &rx, &ry, &child);
    XTestFakeMotionEvent(display_, -1, rx, ry, CurrentTime);
    for (int i = 0; i < 2; ++i) {
      XTestFakeButtonEvent(display_, 1, True, CurrentTime);
      XTestFakeButtonEvent(display_, 1, False, CurrentTime);
    }
    XFlush(display_);
  }

 private:
  Window FindUnder(Window parent, pid_t pid, const char* role, int depth) {
    Window root, up, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display_, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
      if (Matches(children[i], pid, role)) found = children[i];
      else if (depth > 1) found = FindUnder(children[i], pid, role, depth - 1);
    }
    if (children) XFree(children);
    return found;
  }

  bool Matches(Window window, pid_t pid, const char* role) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(display_, window, &a) || a.map_state != IsViewable) return false;
    return Property(window, pid_atom_, XA_CARDINAL) == std::to_string(pid) &&
           Property(window, role_atom_, XA_STRING) == role;
  }

  // A CARDINAL as its decimal text, a STRING as itself.
  std::string Property(Window window, Atom name, Atom type) {
    Atom actual;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(display_, window, name, 0, 64, False, type, &actual, &format, &items,
                           &left, &data) == Success && data && items > 0) {
      if (format == 32) out = std::to_string(*reinterpret_cast<unsigned long*>(data));
      else out.assign(reinterpret_cast<char*>(data), items);
    }
    if (data) XFree(data);
    return out;
  }

  Display* display_;
  Window root_ = 0;
  Atom pid_atom_ = 0, role_atom_ = 0;
};

Window WaitForWindow(X& x, pid_t pid, const char* role, double timeout_ms) {
  const double start = NowMs();
  do {
    if (Window w = x.Find(pid, role)) return w;
    SleepMs(1);
  } while (NowMs() - start < timeout_ms);
  return 0;
}

int FirstFrame(X& x, char** argv) {
  const unsigned long rgb = std::strtoul(argv[0], nullptr, 16);
  const char* role = argv[1];
  const double start = NowMs();
  const pid_t pid = Launch(argv + 2);
  const Window window = WaitForWindow(x, pid, role, 15000);
  const double window_ms = NowMs() - start;
  double frame_ms = -1;
  while (window && NowMs() - start < 10000) {
    if (x.Shows(window, rgb)) {
      frame_ms = NowMs() - start;
      break;
    }
    SleepMs(1);
  }
  if (!window) std::printf("firstframe none no-window\n");
  else if (frame_ms < 0) std::printf("firstframe none colour-not-shown %.1f\n", window_ms);
  else std::printf("firstframe %.1f %.1f\n", window_ms, frame_ms);
  Stop(pid);
  return 0;
}

int Size(X& x, char** argv) {
  const pid_t pid = Launch(argv + 1);
  const Window window = WaitForWindow(x, pid, argv[0], 15000);
  XWindowAttributes a;
  if (window && XGetWindowAttributes(x.display(), window, &a))
    std::printf("size %d %d\n", a.width, a.height);
  else std::printf("size none\n");
  Stop(pid);
  return 0;
}

// Replaced whole, so the program never reads a half-written file.
void WriteAlarmFile(const std::string& dir, int alarm_sec) {
  const std::string temp = dir + "/alerm.tmp";
  FILE* f = std::fopen(temp.c_str(), "w");
  if (!f) return;
  std::fprintf(f, "%d:%02d:%02d\n", alarm_sec / 3600, alarm_sec / 60 % 60, alarm_sec % 60);
  std::fclose(f);
  std::rename(temp.c_str(), (dir + "/alerm.txt").c_str());
}

int Alarm(X& x, char** argv) {
  const std::string dir = argv[0];
  const int trials = std::atoi(argv[1]);
  const pid_t pid = Launch(argv + 2);
  const Window main = WaitForWindow(x, pid, "character", 15000);
  std::string baseline;
  const double start = NowMs();
  while (main && (baseline = x.Outline(main)).empty() && NowMs() - start < 5000) SleepMs(10);
  if (baseline.empty()) {
    std::printf("alarm none %s\n", main ? "no-shape" : "no-window");
    Stop(pid);
    return 0;
  }
  // A point inside the outline to double-click: the middle of its largest rectangle.
  const auto* rects = reinterpret_cast<const XRectangle*>(baseline.data());
  const size_t count = baseline.size() / sizeof(XRectangle);
  size_t big = 0;
  for (size_t i = 1; i < count; ++i)
    if (rects[i].width * rects[i].height > rects[big].width * rects[big].height) big = i;
  const int click_x = rects[big].x + rects[big].width / 2;
  const int click_y = rects[big].y + rects[big].height / 2;

  int last = -10, misses = 0;
  for (int trial = 1; trial <= trials; ++trial) {
    double now = LocalMsOfDay();
    if (now > (86400 - 15) * 1000.0) {  // past midnight the time would wrap
      SleepMs(static_cast<int>(86400 * 1000.0 - now) + 500);
      now = LocalMsOfDay();
      last = -10;
    }
    // Three seconds ahead: the file watch needs up to a second.
    int alarm_sec = static_cast<int>(now / 1000) + 3;
    if (alarm_sec < last + 3) alarm_sec = last + 3;
    last = alarm_sec;
    WriteAlarmFile(dir, alarm_sec);
    const double alarm_ms = alarm_sec * 1000.0;
    double latency = 0;
    bool changed = false;
    while (LocalMsOfDay() < alarm_ms + 4000) {
      if (x.Outline(main) != baseline) {
        latency = LocalMsOfDay() - alarm_ms;
        changed = true;
        break;
      }
      SleepMs(1);
    }
    if (!changed) {
      std::printf("trial %d %d none\n", trial, alarm_sec);
      if (++misses == 2) break;  // two silent alarms in a row: it does not ring
    } else {
      std::printf("trial %d %d %s%.1f\n", trial, alarm_sec, latency < 0 ? "early " : "",
                  latency < 0 ? -latency : latency);
      misses = 0;
      // A double click stops the dance; the next trial starts from the idle outline.
      x.DoubleClick(main, click_x, click_y);
      const double stop = NowMs();
      while (NowMs() - stop < 65000 && x.Outline(main) != baseline) SleepMs(5);
    }
    std::fflush(stdout);
  }
  Stop(pid);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  X x;
  if (!x.display()) {
    std::fprintf(stderr, "xprobe: cannot open the display\n");
    return 2;
  }
  const std::string command = argc > 1 ? argv[1] : "";
  int status = 2;
  if (command == "firstframe" && argc >= 5) status = FirstFrame(x, argv + 2);
  else if (command == "size" && argc >= 4) status = Size(x, argv + 2);
  else if (command == "alarm" && argc >= 5) status = Alarm(x, argv + 2);
  else std::fprintf(stderr, "usage: see the head of tools/measure/xprobe.cpp\n");
  std::fflush(stdout);
  return status;
}
