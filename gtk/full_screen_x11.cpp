#include "gtk/full_screen_x11.h"

// Kept apart from the core's headers: Xutil's Region would clash with its own.
#include <X11/Xatom.h>
#include <gdk/gdkx.h>

#include <vector>

namespace {

// The property's 32-bit items; empty when it is missing or of another type.
std::vector<unsigned long> ReadAtoms(Display* x, Window w, const char* name, Atom type) {
  std::vector<unsigned long> out;
  Atom actual = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(x, w, XInternAtom(x, name, False), 0, 64, False, type, &actual, &format,
                         &count, &after, &data) == Success &&
      actual == type && format == 32 && data) {
    const auto* items = reinterpret_cast<unsigned long*>(data);
    out.assign(items, items + count);
  }
  if (data) XFree(data);
  return out;
}

bool IsFullScreen(Display* x, Window w) {
  const Atom full = XInternAtom(x, "_NET_WM_STATE_FULLSCREEN", False);
  for (unsigned long state : ReadAtoms(x, w, "_NET_WM_STATE", XA_ATOM)) {
    if (state == full) return true;
  }
  return false;
}

// The monitor under the middle of the window; GDK's pixels are X's divided by scale.
GdkMonitor* MonitorOf(GdkDisplay* display, int scale, Display* x, Window w) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(x, w, &a)) return nullptr;
  int left = 0;
  int top = 0;
  Window child = None;
  XTranslateCoordinates(x, w, DefaultRootWindow(x), 0, 0, &left, &top, &child);
  return gdk_display_get_monitor_at_point(display, (left + a.width / 2) / scale,
                                          (top + a.height / 2) / scale);
}

}  // namespace

bool FullScreenWindowActiveAt(GdkDisplay* display, int scale, int at_x, int at_y) {
  if (!GDK_IS_X11_DISPLAY(display)) return false;
  Display* x = GDK_DISPLAY_XDISPLAY(display);
  const std::vector<unsigned long> active =
      ReadAtoms(x, DefaultRootWindow(x), "_NET_ACTIVE_WINDOW", XA_WINDOW);
  if (active.empty() || active[0] == None) return false;
  const Window w = active[0];
  // Our own windows, menus and boxes never count.
  if (gdk_x11_window_lookup_for_display(display, w)) return false;
  // The window may go while it is read.
  gdk_x11_display_error_trap_push(display);
  const bool full = IsFullScreen(x, w);
  GdkMonitor* monitor = full ? MonitorOf(display, scale, x, w) : nullptr;
  gdk_x11_display_error_trap_pop_ignored(display);
  return monitor &&
         monitor == gdk_display_get_monitor_at_point(display, at_x / scale, at_y / scale);
}
