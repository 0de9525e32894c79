// The GTK half's window of the character and his shadow: how it is made and
// what its signals mean.
#include "gtk/layer_wayland.h"
#include "gtk/names_gtk.h"
#include "gtk/platform_gtk.h"
#include "gtk/present_x11.h"
#include "shell/commands.h"
#include "shell/events.h"
#include "shell/windows.h"

#include <algorithm>
#include <cmath>

namespace {

GtkPlatform& Platform(gpointer data) { return *static_cast<GtkPlatform*>(data); }

// Undecorated, out of the taskbar and the pager, on every desktop; the role
// tells it from the boxes for anyone looking from X.
GtkWidget* MakeWindow(const char* role) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* w = GTK_WINDOW(window);
  gtk_window_set_title(w, kNames.title);
  gtk_window_set_role(w, role);
  gtk_window_set_decorated(w, FALSE);
  gtk_window_set_type_hint(w, GDK_WINDOW_TYPE_HINT_UTILITY);
  gtk_window_set_skip_taskbar_hint(w, TRUE);
  gtk_window_set_skip_pager_hint(w, TRUE);
  gtk_window_set_resizable(w, FALSE);
  gtk_window_set_focus_on_map(w, FALSE);
  gtk_window_stick(w);
  gtk_widget_set_app_paintable(window, TRUE);
  return window;
}

// What the server reports after a move of its own or of the window manager,
// in GDK's pixels.
gboolean OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer data) {
  GtkPlatform& p = Platform(data);
  if (p.layer) return FALSE;  // it reports no place, only its size
  const int32_t g = p.desktop_scale;
  ScreenRect& known = p.main_bounds;
  const bool moved = known.left != event->x * g || known.top != event->y * g;
  known.left = event->x * g;
  known.top = event->y * g;
  if (moved) MainMoved(*p.app);
  return FALSE;
}

// The look as last composed, clipped by GTK to what needs drawing. A window
// that changed size has its picture composed afresh first.
gboolean OnMainDraw(GtkWidget*, cairo_t* cr, gpointer data) {
  GtkPlatform& p = Platform(data);
  if (p.full_paint_due) {
    p.full_paint_due = false;
    p.drawing = true;
    PaintMain(*p.app, true);
    p.drawing = false;
  }
  const Surface& look = p.look.pixels;
  const int32_t s = p.app->sprites.scale;
  const int32_t g = p.desktop_scale;
  GdkRectangle clip;
  if (look.pixels.empty() || s < 1 || !gdk_cairo_get_clip_rectangle(cr, &clip)) return TRUE;
  // GDK's pixels to the cells that cover them.
  const PixelBox area = {clip.x * g / s, clip.y * g / s,
                         std::min(((clip.x + clip.width) * g + s - 1) / s, look.width),
                         std::min(((clip.y + clip.height) * g + s - 1) / s, look.height)};
  if (area.empty()) return TRUE;
  // Without double buffering the draw goes to the window itself, where the
  // picture is put straight: cairo would keep megabytes of shared memory for
  // uploading it.
  if (PutPicture(gtk_widget_get_window(p.main_window), look, s, area, p.band)) return TRUE;
  // The look's words are cairo's premultiplied ARGB32; drawn in device pixels.
  cairo_scale(cr, 1.0 / g, 1.0 / g);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  ForEachBand(look, s, area, p.band, [cr](Surface& part, int32_t left, int32_t top) {
    cairo_surface_t* image = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(part.pixels.data()), CAIRO_FORMAT_ARGB32, part.width,
        part.height, part.stride);
    cairo_set_source_surface(cr, image, left, top);
    cairo_rectangle(cr, left, top, part.width, part.height);
    cairo_fill(cr);
    cairo_surface_destroy(image);
  });
  return TRUE;
}

// On a layer surface: the pointer at (x, y) of his window, in screen pixels.
// While a button is held the compositor counts from where the window stood
// at the press, however far it has been moved since.
void SeePointer(GtkPlatform& p, double x, double y) {
  const ScreenPoint origin =
      p.held ? p.held_from : ScreenPoint{p.main_bounds.left, p.main_bounds.top};
  p.pointer_seen = {origin.x + static_cast<int32_t>(std::lround(x * p.desktop_scale)),
                    origin.y + static_cast<int32_t>(std::lround(y * p.desktop_scale))};
}

// The first move after the rules began to wait for one wakes them; the
// ones after it are read at every frame until it rests.
void TellPointerMoved(GtkPlatform& p) {
  if (!p.pointer_watch || p.ended) return;
  p.pointer_watch = false;
  PointerMoved(*p.app);
}

gboolean OnMainPress(GtkWidget*, GdkEventButton* event, gpointer data) {
  GtkPlatform& p = Platform(data);
  if (p.layer && event->type == GDK_BUTTON_PRESS) {
    SeePointer(p, event->x, event->y);
    p.held_from = {p.main_bounds.left, p.main_bounds.top};
    p.held = true;
  }
  if (event->button != GDK_BUTTON_PRIMARY) return TRUE;
  App& app = *p.app;
  switch (event->type) {
    // Device pixels of the press, never negative inside the window.
    case GDK_BUTTON_PRESS:
      PressLeft(app, static_cast<int32_t>(event->x * p.desktop_scale),
                static_cast<int32_t>(event->y * p.desktop_scale));
      break;
    case GDK_2BUTTON_PRESS: DoubleClicked(app); break;
    default: break;
  }
  return TRUE;
}

gboolean OnMainRelease(GtkWidget*, GdkEventButton* event, gpointer data) {
  GtkPlatform& p = Platform(data);
  App& app = *p.app;
  if (p.layer) {
    SeePointer(p, event->x, event->y);
    p.held = false;
  }
  switch (event->button) {
    case GDK_BUTTON_PRIMARY:
    case GDK_BUTTON_MIDDLE: ReleaseLeftOrMiddle(app); break;
    case GDK_BUTTON_SECONDARY:
      if (ReleaseRight(app)) OpenCharacterMenu(app);
      break;
    default: break;
  }
  return TRUE;
}

gboolean OnMainMotion(GtkWidget*, GdkEventMotion* event, gpointer data) {
  GtkPlatform& p = Platform(data);
  if (p.layer) SeePointer(p, event->x, event->y);
  MoveMouse(*p.app);
  if (p.layer) TellPointerMoved(p);
  return TRUE;
}

// Only on a layer surface. When the pointer leaves, his eyes stay where it
// went out: a man looks after what he saw go, and easing them back to the
// middle would wake the program for frames nobody asked for.
gboolean OnMainEnter(GtkWidget*, GdkEventCrossing* event, gpointer data) {
  GtkPlatform& p = Platform(data);
  if (!p.layer) return FALSE;
  SeePointer(p, event->x, event->y);
  TellPointerMoved(p);
  return FALSE;
}

gboolean OnFocusOut(GtkWidget*, GdkEventFocus*, gpointer data) {
  Deactivated(*Platform(data).app);
  return FALSE;
}

// Closing the window ends the program the way Exit does.
gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  Platform(data).CloseProgram();
  return TRUE;
}

// Only the shadow's shape changes: its half black shows black without a
// compositor, which then shows every other cell of it.
void OnCompositedChanged(GdkScreen* screen, gpointer data) {
  Platform(data).composited = gdk_screen_is_composited(screen);
  Platform(data).ApplyShape();
}

// A new desktop scale changes GDK's pixels, not the device pixels he is made of.
void OnMonitorsChanged(GdkScreen*, gpointer data) {
  GtkPlatform& p = Platform(data);
  const int32_t was = p.desktop_scale;
  p.RefreshVirtualScreen();
  if (p.desktop_scale != was && p.main_window) {
    const ScreenRect at = p.main_bounds;
    p.main_bounds = {};
    p.PlaceWindow(AppWindow::Main, at, true);
  }
  MonitorsChanged(*p.app);
}

void OnScaleChanged(GObject*, GParamSpec*, gpointer data) {
  OnMonitorsChanged(nullptr, data);
}

// An alpha channel where the screen has one, compositor or not: a compositor
// may come later, and without one the X server shows the colour alone, which
// for the shadow is black.
void MakeMainWindow(GtkPlatform& p, const ScreenRect& at) {
  GdkScreen* screen = gdk_screen_get_default();
  GtkWidget* main = MakeWindow("character");
  if (GdkVisual* rgba = gdk_screen_get_rgba_visual(screen)) {
    gtk_widget_set_visual(main, rgba);
    p.argb = true;
  }
  p.composited = gdk_screen_is_composited(screen);
  if (p.layer) MakeLayerSurface(GTK_WINDOW(main), true);
  gtk_widget_add_events(main, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                  GDK_POINTER_MOTION_MASK | GDK_ENTER_NOTIFY_MASK |
                                  GDK_FOCUS_CHANGE_MASK | GDK_STRUCTURE_MASK);
  g_signal_connect(main, "draw", G_CALLBACK(OnMainDraw), &p);
  g_signal_connect(main, "configure-event", G_CALLBACK(OnConfigure), &p);
  g_signal_connect(main, "button-press-event", G_CALLBACK(OnMainPress), &p);
  g_signal_connect(main, "button-release-event", G_CALLBACK(OnMainRelease), &p);
  g_signal_connect(main, "motion-notify-event", G_CALLBACK(OnMainMotion), &p);
  g_signal_connect(main, "enter-notify-event", G_CALLBACK(OnMainEnter), &p);
  g_signal_connect(main, "focus-out-event", G_CALLBACK(OnFocusOut), &p);
  g_signal_connect(main, "delete-event", G_CALLBACK(OnDelete), &p);
  g_signal_connect(main, "notify::scale-factor", G_CALLBACK(OnScaleChanged), &p);
  g_signal_connect(screen, "composited-changed", G_CALLBACK(OnCompositedChanged), &p);
  g_signal_connect(screen, "monitors-changed", G_CALLBACK(OnMonitorsChanged), &p);
  g_signal_connect(screen, "size-changed", G_CALLBACK(OnMonitorsChanged), &p);
  // A Wayland surface shows only buffers GTK has drawn and committed.
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  if (!p.layer) gtk_widget_set_double_buffered(main, FALSE);
  G_GNUC_END_IGNORE_DEPRECATIONS
  p.main_window = main;
  p.PlaceWindow(AppWindow::Main, at, false);
  gtk_widget_realize(main);
  ClearWindowBackground(gtk_widget_get_window(main));
}

}  // namespace

// One window for the character and his shadow, as large as both.
bool GtkPlatform::CreateWindows(const ScreenRect& main, const ScreenRect& shadow) {
  const int32_t scale = std::max(app->sprites.scale, 1);
  SizeLook(look, (shadow.left - main.left) / scale);
  MakeMainWindow(*this, main);
  return true;
}

// A menu's or a box's own loop would hold the program until the user
// answered it; each is told to end, as a click outside or a close would.
void GtkPlatform::EndProgram() {
  if (ended) return;
  ended = true;
  Closing(*app);
  while (!timers.empty()) StopTimer(timers.begin()->first);
  for (auto open = open_loops.rbegin(); open != open_loops.rend(); ++open) {
    if (GTK_IS_MENU_SHELL(*open)) gtk_menu_shell_deactivate(GTK_MENU_SHELL(*open));
    else if (GTK_IS_DIALOG(*open)) gtk_dialog_response(GTK_DIALOG(*open), GTK_RESPONSE_CLOSE);
  }
  StopPlaying(sound);
  FreeTray(tray);
  if (main_window) gtk_widget_destroy(main_window);
  main_window = nullptr;
  if (gtk_main_level() > 0) gtk_main_quit();
}
