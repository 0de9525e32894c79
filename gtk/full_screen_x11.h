#pragma once

#include <gdk/gdk.h>

// The window manager's active window is another client's, in the full-screen
// state, on the monitor that holds (x, y) of the screen.
bool FullScreenWindowActiveAt(GdkDisplay* display, int x, int y);
