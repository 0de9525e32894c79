#include "gtk/layer_wayland.h"

#include <gdk/gdkwayland.h>
#include <poll.h>
#include <gtk-layer-shell/gtk-layer-shell.h>

namespace {

void OnGlobal(void* found, wl_registry*, uint32_t, const char* interface, uint32_t) {
  if (g_strcmp0(interface, "zwlr_layer_shell_v1") == 0) *static_cast<bool*>(found) = true;
}

void OnGlobalRemoved(void*, wl_registry*, uint32_t) {}

// The compositor's globals read once: the library itself warns on stderr
// where layer shell is missing, as on GNOME, where X11 is simply the path.
bool Announced(wl_display* display) {
  bool found = false;
  static const wl_registry_listener listener = {OnGlobal, OnGlobalRemoved};
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, &found);
  wl_display_roundtrip(display);
  wl_registry_destroy(registry);
  return found;
}

// Set once at start, as the X half's handler is.
void (*g_compositor_lost)() = nullptr;

struct HangUpSource {
  GSource source;
  int fd;
};

bool HungUp(int fd) {
  pollfd p = {fd, 0, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR));
}

// GDK flushes its connection in its own prepare and ends the process when
// that fails: the hang-up is looked for before, in a prepare of a higher
// priority, after which GLib prepares no lower one.
gboolean PrepareHangUp(GSource* source, gint* timeout) {
  *timeout = -1;
  return HungUp(reinterpret_cast<HangUpSource*>(source)->fd);
}

gboolean CheckHangUp(GSource* source) { return HungUp(reinterpret_cast<HangUpSource*>(source)->fd); }

gboolean DispatchHangUp(GSource*, GSourceFunc, gpointer) {
  if (g_compositor_lost) g_compositor_lost();
  return G_SOURCE_REMOVE;
}

GSourceFuncs g_hang_up_funcs = {PrepareHangUp, CheckHangUp, DispatchHangUp, nullptr, nullptr,
                                nullptr};

}  // namespace

bool LayerShellOffered() {
  GdkDisplay* display = gdk_display_get_default();
  if (!GDK_IS_WAYLAND_DISPLAY(display)) return false;
  return Announced(gdk_wayland_display_get_wl_display(display)) && gtk_layer_is_supported();
}

void MakeLayerSurface(GtkWindow* window, bool topmost) {
  gtk_layer_init_for_window(window);
  gtk_layer_set_namespace(window, "kurimaro");
  SetLayer(window, topmost);
  gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_LEFT, TRUE);
  gtk_layer_set_anchor(window, GTK_LAYER_SHELL_EDGE_TOP, TRUE);
  // Margins count from the output's edge, not from a panel's reserved zone,
  // so that the saved place means the same with a panel or without.
  gtk_layer_set_exclusive_zone(window, -1);
  // A click gives him the keyboard, as it activates a window on X11: his
  // menu, a popup of his, gets the keys only from a surface that had them.
  gtk_layer_set_keyboard_mode(window, GTK_LAYER_SHELL_KEYBOARD_MODE_ON_DEMAND);
}

void PlaceLayerSurface(GtkWindow* window, int left, int top) {
  if (gtk_layer_get_margin(window, GTK_LAYER_SHELL_EDGE_LEFT) != left) {
    gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_LEFT, left);
  }
  if (gtk_layer_get_margin(window, GTK_LAYER_SHELL_EDGE_TOP) != top) {
    gtk_layer_set_margin(window, GTK_LAYER_SHELL_EDGE_TOP, top);
  }
}

void SetLayer(GtkWindow* window, bool topmost) {
  gtk_layer_set_layer(window, topmost ? GTK_LAYER_SHELL_LAYER_TOP : GTK_LAYER_SHELL_LAYER_BOTTOM);
}

// GDK takes the region in its own pixels: a box is rounded out to whole ones.
void SetInputRegion(GdkWindow* window, const std::vector<PixelBox>& input, int desktop_scale) {
  if (!window) return;
  const int g = desktop_scale > 0 ? desktop_scale : 1;
  cairo_region_t* region = cairo_region_create();
  for (const PixelBox& r : input) {
    const cairo_rectangle_int_t box = {r.left / g, r.top / g,
                                       (r.right + g - 1) / g - r.left / g,
                                       (r.bottom + g - 1) / g - r.top / g};
    cairo_region_union_rectangle(region, &box);
  }
  gdk_window_input_shape_combine_region(window, region, 0, 0);
  cairo_region_destroy(region);
}

void WhenCompositorLost(void (*handler)()) {
  GdkDisplay* display = gdk_display_get_default();
  if (!GDK_IS_WAYLAND_DISPLAY(display)) return;
  g_compositor_lost = handler;
  GSource* source = g_source_new(&g_hang_up_funcs, sizeof(HangUpSource));
  reinterpret_cast<HangUpSource*>(source)->fd =
      wl_display_get_fd(gdk_wayland_display_get_wl_display(display));
  g_source_set_priority(source, G_PRIORITY_HIGH);
  g_source_attach(source, nullptr);
  g_source_unref(source);
}
