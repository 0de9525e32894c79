#include "gtk/pointer_moves_x11.h"

#include <X11/extensions/XInput2.h>
#include <gdk/gdkx.h>
#include <glib-unix.h>

namespace {

struct Watch {
  bool tried = false;
  Display* x = nullptr;  // the connection of its own; null where there is no X Input 2
  int opcode = 0;        // the extension's major opcode
  bool selected = false;
  void (*moved)(void*) = nullptr;
  void* data = nullptr;
};
Watch g_watch;

void Select(bool on) {
  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
  if (on) XISetMask(bits, XI_RawMotion);
  XIEventMask mask = {XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
  XISelectEvents(g_watch.x, DefaultRootWindow(g_watch.x), &mask, 1);
  XFlush(g_watch.x);
  g_watch.selected = on;
}

gboolean OnEvents(gint, GIOCondition, gpointer) {
  bool moved = false;
  while (XPending(g_watch.x)) {
    XEvent event;
    XNextEvent(g_watch.x, &event);
    moved = moved || (event.type == GenericEvent && event.xcookie.extension == g_watch.opcode &&
                      event.xcookie.evtype == XI_RawMotion);
  }
  // One is enough: while the pointer moves it is read at every frame, and
  // a fast mouse reports hundreds of times a second.
  if (moved && g_watch.selected) {
    Select(false);
    if (g_watch.moved) g_watch.moved(g_watch.data);
  }
  return G_SOURCE_CONTINUE;
}

bool Open(GdkDisplay* display) {
  Display* x = XOpenDisplay(gdk_display_get_name(display));
  if (!x) return false;
  // 2.1 and later get raw events while another client holds the grab, as
  // every press-and-drag and every open menu does; 2.0 clients only then.
  int event = 0, error = 0, major = 2, minor = 2;
  if (!XQueryExtension(x, "XInputExtension", &g_watch.opcode, &event, &error) ||
      XIQueryVersion(x, &major, &minor) != Success) {
    XCloseDisplay(x);
    return false;
  }
  g_watch.x = x;
  // Lives as long as the program.
  g_unix_fd_add(ConnectionNumber(x), G_IO_IN, OnEvents, nullptr);
  return true;
}

}  // namespace

bool SelectPointerMoves(GdkDisplay* display, bool on, void (*moved)(void*), void* data) {
  if (!GDK_IS_X11_DISPLAY(display)) return false;
  if (!g_watch.tried) {
    g_watch.tried = true;
    Open(display);
  }
  if (!g_watch.x) return false;
  g_watch.moved = moved;
  g_watch.data = data;
  if (on != g_watch.selected) Select(on);
  return true;
}
