#pragma once

#include <gdk/gdk.h>

#include "render/surface.h"

// Puts the part area of picture, which covers the whole window, straight on
// the window, as a paint would but without waiting for GTK's next frame.
// False when the window is not on the screen or its visual is not 24-bit
// RGB, and the caller lets GTK paint instead.
bool PutPicture(GdkWindow* window, const Surface& picture, const PixelBox& area);
