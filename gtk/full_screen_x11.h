#pragma once

#include <gdk/gdk.h>

// The window manager's active window is another client's, in the full-screen
// state, on the monitor that holds (x, y) of the screen in device pixels,
// scale of them to each of GDK's.
bool FullScreenWindowActiveAt(GdkDisplay* display, int scale, int x, int y);
