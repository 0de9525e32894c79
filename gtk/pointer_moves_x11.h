#pragma once

#include <gdk/gdk.h>

// Selects or drops the X Input extension's raw motion on the root window,
// which tells of every move of the pointer anywhere on the screen; moved runs
// at the first one after each selection. False where the server has no X
// Input 2. The selection lives on a connection of its own, so that it never
// touches the event masks GDK keeps on the root window.
bool SelectPointerMoves(GdkDisplay* display, bool on, void (*moved)(void*), void* data);
