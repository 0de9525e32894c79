#include "gtk/tray_host_x11.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <string>

namespace {

void (*g_arrived)(void*) = nullptr;
void* g_arrived_data = nullptr;

// The selection a system tray of the default screen owns.
Atom TraySelection(Display* x) {
  const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(gdk_x11_screen_get_screen_number(
                                                      gdk_screen_get_default()));
  return XInternAtom(x, name.c_str(), False);
}

// A system tray that starts tells every client on the root window.
GdkFilterReturn OnRootMessage(GdkXEvent* xevent, GdkEvent*, gpointer) {
  const auto* event = static_cast<const XEvent*>(xevent);
  if (event->type != ClientMessage || !g_arrived) return GDK_FILTER_CONTINUE;
  Display* x = event->xclient.display;
  if (event->xclient.message_type == XInternAtom(x, "MANAGER", False) &&
      static_cast<Atom>(event->xclient.data.l[1]) == TraySelection(x)) {
    void (*arrived)(void*) = g_arrived;
    void* data = g_arrived_data;
    StopWatchingForTrayHost();
    arrived(data);
  }
  return GDK_FILTER_CONTINUE;
}

}  // namespace

// Wayland has no XEmbed tray: there the status notifier is the only icon.
bool TrayHostPresent() {
  if (!GDK_IS_X11_DISPLAY(gdk_display_get_default())) return false;
  Display* x = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
  return XGetSelectionOwner(x, TraySelection(x)) != None;
}

void WatchForTrayHost(void (*arrived)(void*), void* data) {
  if (!GDK_IS_X11_DISPLAY(gdk_display_get_default())) return;
  GdkWindow* root = gdk_get_default_root_window();
  gdk_window_set_events(root, static_cast<GdkEventMask>(gdk_window_get_events(root) |
                                                        GDK_STRUCTURE_MASK));
  if (!g_arrived) gdk_window_add_filter(root, OnRootMessage, nullptr);
  g_arrived = arrived;
  g_arrived_data = data;
}

void StopWatchingForTrayHost() {
  if (g_arrived) gdk_window_remove_filter(gdk_get_default_root_window(), OnRootMessage, nullptr);
  g_arrived = nullptr;
}
