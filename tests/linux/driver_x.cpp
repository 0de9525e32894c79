// X itself: window trees, outlines, pixels, properties and XTEST input. Kept
// apart from the core's headers, whose Region Xutil's would clash with.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>

#include <cstdlib>
#include <cstring>

#include "tests/linux/driver.h"

namespace lx {
namespace {

::Display* g_display = nullptr;  // the test program's one connection
std::string g_switched;          // the display a test switched to; "" for the shared one
Window g_grabber = 0;            // the test's own window that holds the pointer

}  // namespace

const std::string& TestDisplay() {
  static const std::string shared = [] {
    std::string display = ReadFileBytes(StateDir() + "/display");
    while (!display.empty() && display.back() == '\n') display.pop_back();
    return display;
  }();
  return g_switched.empty() ? shared : g_switched;
}

void UseDisplay(const std::string& name) {
  if (g_display) XCloseDisplay(g_display);
  g_display = nullptr;
  g_grabber = 0;
  g_switched = name;
}

namespace {

// Opened on first use, on the test's display.
::Display* X() {
  ::Display*& display = g_display;
  if (!display) {
    display = XOpenDisplay(TestDisplay().c_str());
    if (!display) std::abort();
    // A window that goes while it is read is no error of the test's.
    XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
  }
  return display;
}

Atom A(const char* name) { return XInternAtom(X(), name, False); }

std::vector<unsigned long> Property32(Window w, const char* name, Atom type) {
  std::vector<unsigned long> out;
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(X(), w, A(name), 0, 1024, False, type, &actual, &format, &count, &after,
                         &data) == Success && data && format == 32) {
    const auto* items = reinterpret_cast<unsigned long*>(data);
    out.assign(items, items + count);
  }
  if (data) XFree(data);
  return out;
}

std::string PropertyText(Window w, const char* name) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string out;
  if (XGetWindowProperty(X(), w, A(name), 0, 1024, False, AnyPropertyType, &actual, &format,
                         &count, &after, &data) == Success && data && format == 8) {
    out.assign(reinterpret_cast<char*>(data), count);
  }
  if (data) XFree(data);
  return out;
}

std::vector<Window> Children(Window w) {
  Window root = 0, parent = 0, *kids = nullptr;
  unsigned int n = 0;
  std::vector<Window> out;
  if (XQueryTree(X(), w, &root, &parent, &kids, &n) && kids) out.assign(kids, kids + n);
  if (kids) XFree(kids);
  return out;
}

void Walk(Window w, pid_t pid, std::vector<XWin>& out) {
  const std::vector<unsigned long> owner = Property32(w, "_NET_WM_PID", XA_CARDINAL);
  if (!owner.empty() && static_cast<pid_t>(owner[0]) == pid) {
    out.push_back(w);
    return;
  }
  for (Window child : Children(w)) Walk(child, pid, out);
}

}  // namespace

std::vector<XWin> ClientsOf(pid_t pid) {
  std::vector<XWin> out;
  Walk(DefaultRootWindow(X()), pid, out);
  return out;
}

XWin FindWindow(pid_t pid, const char* role) {
  for (XWin w : ClientsOf(pid)) {
    std::string r = PropertyText(w, "WM_WINDOW_ROLE");
    if (r == role) return w;
  }
  return 0;
}

bool Viewable(XWin w) {
  XWindowAttributes a;
  return XGetWindowAttributes(X(), w, &a) && a.map_state == IsViewable;
}

bool Held(XWin w) {
  Window root = 0, parent = 0, *kids = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(X(), w, &root, &parent, &kids, &n)) return false;
  if (kids) XFree(kids);
  return parent != root;
}

Rect Bounds(XWin w) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(X(), w, &a)) return {};
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(X(), w, DefaultRootWindow(X()), 0, 0, &x, &y, &child);
  return {x, y, a.width, a.height};
}

Mask Shape(XWin w, bool input) {
  const Rect b = Bounds(w);
  Mask m{b.w, b.h, std::vector<uint8_t>(static_cast<size_t>(b.w) * b.h, 0)};
  int count = 0, ordering = 0;
  XRectangle* rects = XShapeGetRectangles(X(), w, input ? ShapeInput : ShapeBounding, &count,
                                          &ordering);
  for (int i = 0; i < count; ++i) {
    for (int y = std::max(0, int(rects[i].y)); y < std::min(b.h, rects[i].y + rects[i].height); ++y) {
      for (int x = std::max(0, int(rects[i].x)); x < std::min(b.w, rects[i].x + rects[i].width); ++x) {
        m.bits[static_cast<size_t>(y) * b.w + x] = 1;
      }
    }
  }
  if (rects) XFree(rects);
  return m;
}

namespace {

// The colour alone: a window with an alpha channel gives it too.
Image GetImage(Window w, int left, int top, int width, int height) {
  Image out;
  XImage* image = XGetImage(X(), w, left, top, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!image) return out;
  out.w = width;
  out.h = height;
  out.px.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      out.px[static_cast<size_t>(y) * width + x] = XGetPixel(image, x, y) & 0xFFFFFF;
    }
  }
  XDestroyImage(image);
  return out;
}

}  // namespace

Image Grab(XWin w, int width, int height) {
  const Rect b = Bounds(w);
  return GetImage(w, 0, 0, width > 0 ? width : b.w, height > 0 ? height : b.h);
}

// The root window's contents are the screen's, a compositor's overlay included.
Image GrabScreen(const Rect& r) { return GetImage(DefaultRootWindow(X()), r.x, r.y, r.w, r.h); }

namespace {

std::vector<std::string> AtomNames(XWin w, const char* property) {
  std::vector<std::string> out;
  for (unsigned long atom : Property32(w, property, XA_ATOM)) {
    char* name = XGetAtomName(X(), atom);
    if (name) out.push_back(name);
    if (name) XFree(name);
  }
  return out;
}

bool HasAtom(XWin w, const char* property, const char* atom) {
  for (const std::string& s : AtomNames(w, property)) {
    if (s == atom) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> NetWmState(XWin w) { return AtomNames(w, "_NET_WM_STATE"); }

bool HasNetWmState(XWin w, const char* state) { return HasAtom(w, "_NET_WM_STATE", state); }

bool IsDialog(XWin w) { return HasAtom(w, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG"); }

std::string WmClassName(XWin w) {
  const std::string both = PropertyText(w, "WM_CLASS");
  return both.substr(0, both.find('\0'));
}

std::string WindowTitle(XWin w) { return PropertyText(w, "_NET_WM_NAME"); }

// A compositor's overlay window covers the whole screen, and window managers
// keep windows of their own off it; no menu does either.
std::vector<XWin> PopupWindows() {
  std::vector<XWin> out;
  const int screen_w = DisplayWidth(X(), 0), screen_h = DisplayHeight(X(), 0);
  for (Window w : Children(DefaultRootWindow(X()))) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(X(), w, &a) || !a.override_redirect || a.map_state != IsViewable ||
        a.width <= 1 || a.height <= 1) {
      continue;
    }
    const bool on_screen = a.x + a.width > 0 && a.y + a.height > 0 && a.x < screen_w &&
                           a.y < screen_h;
    if (on_screen && (a.width < screen_w || a.height < screen_h)) out.push_back(w);
  }
  return out;
}

bool CompositorRunning() { return XGetSelectionOwner(X(), A("_NET_WM_CM_S0")) != None; }

bool TrayHostRunning() { return XGetSelectionOwner(X(), A("_NET_SYSTEM_TRAY_S0")) != None; }

XWin WindowManagerWindow() { return XGetSelectionOwner(X(), A("WM_S0")); }

// Compositors tile the pixmap that _XROOTPMAP_ID names; the server shows
// the root window's background where none runs.
Wallpaper::Wallpaper(uint32_t rgb) {
  ::Display* x = X();
  const Window root = DefaultRootWindow(x);
  pixmap_ = XCreatePixmap(x, root, 64, 64, static_cast<unsigned>(DefaultDepth(x, 0)));
  GC gc = XCreateGC(x, pixmap_, 0, nullptr);
  XSetForeground(x, gc, rgb);
  XFillRectangle(x, pixmap_, gc, 0, 0, 64, 64);
  XFreeGC(x, gc);
  for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) {
    XChangeProperty(x, root, A(name), XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pixmap_), 1);
  }
  XSetWindowBackgroundPixmap(x, root, pixmap_);
  XClearWindow(x, root);
  XSync(x, False);
}

Wallpaper::~Wallpaper() {
  ::Display* x = X();
  const Window root = DefaultRootWindow(x);
  for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) XDeleteProperty(x, root, A(name));
  XSetWindowBackground(x, root, WhitePixel(x, 0));
  XClearWindow(x, root);
  XFreePixmap(x, pixmap_);
  XSync(x, False);
}

XWin OpenOwnWindow(bool full_screen) {
  const Window w = XCreateSimpleWindow(X(), DefaultRootWindow(X()), 0, 0, 640, 480, 0, 0, 0x808080);
  if (full_screen) {
    const Atom state = A("_NET_WM_STATE_FULLSCREEN");
    XChangeProperty(X(), w, A("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&state), 1);
  }
  XMapWindow(X(), w);
  XSync(X(), False);
  return w;
}

void DestroyOwnWindow(XWin w) {
  XDestroyWindow(X(), w);
  XSync(X(), False);
}

// A plug whose host went is left on the root window by the server.
XWin DockedTrayIcon(pid_t pid) {
  for (XWin w : ClientsOf(pid)) {
    if (Held(w) && Viewable(w) && !Property32(w, "_XEMBED_INFO", AnyPropertyType).empty()) {
      return w;
    }
  }
  return 0;
}

void AskToClose(XWin w) {
  XEvent e = {};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = A("WM_PROTOCOLS");
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(A("WM_DELETE_WINDOW"));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(X(), w, False, NoEventMask, &e);
  XFlush(X());
}

void CloseConnectionOf(XWin w) {
  XKillClient(X(), w);
  XSync(X(), False);
}

void MovePointer(int x, int y) {
  XTestFakeMotionEvent(X(), -1, x, y, CurrentTime);
  XSync(X(), False);
}

// A grab on an unmapped window needs it viewable: a 1x1 one off the screen's
// corner, as a menu's own window would hold it.
void GrabPointer(bool hold) {
  ::Display* x = X();
  if (hold) {
    if (!g_grabber) {
      XSetWindowAttributes a = {};
      a.override_redirect = True;
      g_grabber = XCreateWindow(x, DefaultRootWindow(x), -10, -10, 1, 1, 0, CopyFromParent,
                                InputOnly, CopyFromParent, CWOverrideRedirect, &a);
      XMapWindow(x, g_grabber);
      XSync(x, False);
    }
    XGrabPointer(x, g_grabber, False, PointerMotionMask | ButtonPressMask | ButtonReleaseMask,
                 GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
  } else {
    XUngrabPointer(x, CurrentTime);
  }
  XSync(x, False);
}

void Button(int button, bool down) {
  XTestFakeButtonEvent(X(), static_cast<unsigned>(button), down, CurrentTime);
  XSync(X(), False);
}

void Click(int button, int count) {
  for (int i = 0; i < count; ++i) {
    Button(button, true);
    Button(button, false);
  }
}

void Key(const char* keysym) {
  const KeyCode code = XKeysymToKeycode(X(), XStringToKeysym(keysym));
  XTestFakeKeyEvent(X(), code, True, CurrentTime);
  XTestFakeKeyEvent(X(), code, False, CurrentTime);
  XSync(X(), False);
}

}  // namespace lx
