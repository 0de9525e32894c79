// The floors that tools/measure_linux.sh sets the Linux programs beside: a
// GTK program that does nothing but what is asked of it. Ends on SIGTERM.
//   bare_gtk timers                  no window; a 17 ms and a 1000 ms timer
//                                    that do nothing (the idle floor)
//   bare_gtk windows N W H RRGGBB    N undecorated windows of W x H filled
//                                    with one colour, no timers (the first
//                                    frame's and the memory's floor)
#include <glib-unix.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Colour {
  double r, g, b;
};

gboolean DoNothing(gpointer) { return G_SOURCE_CONTINUE; }

gboolean Quit(gpointer) {
  gtk_main_quit();
  return G_SOURCE_REMOVE;
}

gboolean Fill(GtkWidget*, cairo_t* cr, gpointer data) {
  const auto* c = static_cast<const Colour*>(data);
  cairo_set_source_rgb(cr, c->r, c->g, c->b);
  cairo_paint(cr);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  // As the mascot starts GTK: X11, the desktop's scale left out, no OpenGL.
  g_setenv("GDK_SCALE", "1", TRUE);
  g_setenv("GDK_GL", "disable", TRUE);
  gdk_set_allowed_backends("x11");
  if (!gtk_init_check(nullptr, nullptr)) return 2;
  g_unix_signal_add(SIGTERM, Quit, nullptr);

  Colour colour = {};
  if (argc == 2 && std::strcmp(argv[1], "timers") == 0) {
    g_timeout_add(17, DoNothing, nullptr);
    g_timeout_add(1000, DoNothing, nullptr);
  } else if (argc == 6 && std::strcmp(argv[1], "windows") == 0) {
    const int count = std::atoi(argv[2]);
    const int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    const auto rgb = static_cast<unsigned>(std::strtoul(argv[5], nullptr, 16));
    const auto channel = [rgb](int shift) { return static_cast<int>(rgb >> shift & 0xFF) / 255.0; };
    colour = {channel(16), channel(8), channel(0)};
    for (int i = 0; i < count; ++i) {
      GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
      gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
      gtk_window_set_role(GTK_WINDOW(window), "character");
      gtk_window_set_default_size(GTK_WINDOW(window), width, height);
      gtk_window_move(GTK_WINDOW(window), 100 + 8 * i, 100 + 8 * i);
      gtk_widget_set_app_paintable(window, TRUE);
      g_signal_connect(window, "draw", G_CALLBACK(Fill), &colour);
      gtk_widget_show(window);
    }
  } else {
    std::fprintf(stderr, "usage: see the head of tools/measure/bare_gtk.cpp\n");
    return 2;
  }
  gtk_main();
  return 0;
}
