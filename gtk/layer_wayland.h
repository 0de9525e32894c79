#pragma once

// The character's window as a layer-shell surface on a Wayland compositor
// that offers one: anchored to the top-left corner of the output and placed
// by its margins, above or below ordinary windows by its layer.

#include <gtk/gtk.h>

#include <vector>

#include "render/geometry.h"

// The default display is Wayland's and its compositor offers layer shell.
bool LayerShellOffered();
// Makes the window, not yet realized, a layer surface at top of the output.
void MakeLayerSurface(GtkWindow* window, bool topmost);
// Its top-left corner at (left, top) of the output, in GDK's pixels.
void PlaceLayerSurface(GtkWindow* window, int left, int top);
// The top layer, over ordinary windows (full-screen ones cover it), or the
// bottom one, under them.
void SetLayer(GtkWindow* window, bool topmost);
// Clicks land only inside these boxes (device pixels); elsewhere they go to
// whatever lies beneath.
void SetInputRegion(GdkWindow* window, const std::vector<PixelBox>& input, int desktop_scale);
// Calls handler when the connection to the compositor breaks (the session
// ended or the compositor went away), before GDK, which would end the
// process at once; the handler must end it without Wayland calls.
void WhenCompositorLost(void (*handler)());
