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

// Opened on first use, on the run's display.
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

Image Grab(XWin w) {
  const Rect b = Bounds(w);
  Image out;
  XImage* image = XGetImage(X(), w, 0, 0, b.w, b.h, AllPlanes, ZPixmap);
  if (!image) return out;
  out.w = b.w;
  out.h = b.h;
  out.px.resize(static_cast<size_t>(b.w) * b.h);
  for (int y = 0; y < b.h; ++y) {
    for (int x = 0; x < b.w; ++x) out.px[static_cast<size_t>(y) * b.w + x] = XGetPixel(image, x, y) & 0xFFFFFF;
  }
  XDestroyImage(image);
  return out;
}

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

std::vector<XWin> PopupWindows() {
  std::vector<XWin> out;
  for (Window w : Children(DefaultRootWindow(X()))) {
    XWindowAttributes a;
    if (XGetWindowAttributes(X(), w, &a) && a.override_redirect && a.map_state == IsViewable &&
        a.width > 1 && a.height > 1) {
      out.push_back(w);
    }
  }
  return out;
}

bool CompositorRunning() { return XGetSelectionOwner(X(), A("_NET_WM_CM_S0")) != None; }

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
