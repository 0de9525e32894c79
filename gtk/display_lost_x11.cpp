#include "gtk/display_lost_x11.h"

// Xlib alone: its utility header's Region would clash with the core's.
#include <X11/Xlib.h>

namespace {

// Xlib passes no user data to its handler; this is set once at start.
void (*g_display_lost)() = nullptr;

int OnIoError(Display*) {
  if (g_display_lost) g_display_lost();
  return 0;
}

}  // namespace

void WhenDisplayLost(void (*handler)()) {
  g_display_lost = handler;
  XSetIOErrorHandler(OnIoError);
}
