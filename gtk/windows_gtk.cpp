// The GTK half's two windows: how they are made and what their signals mean.
#include "gtk/names_gtk.h"
#include "gtk/platform_gtk.h"
#include "gtk/present_x11.h"
#include "shell/commands.h"
#include "shell/events.h"
#include "shell/windows.h"

namespace {

GtkPlatform& Platform(gpointer data) { return *static_cast<GtkPlatform*>(data); }

// Undecorated, out of the taskbar and the pager, on every desktop; the role
// tells the two windows apart for anyone looking from X.
GtkWidget* MakeWindow(const char* role, const ScreenRect& at) {
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
  gtk_widget_set_size_request(window, at.width, at.height);
  gtk_window_move(w, at.left, at.top);
  return window;
}

// What the server reports after a move of its own or of the window manager.
gboolean OnConfigure(GtkWidget* widget, GdkEventConfigure* event, gpointer data) {
  GtkPlatform& p = Platform(data);
  const bool main = widget == p.main_window;
  ScreenRect& known = main ? p.main_bounds : p.shadow_bounds;
  const bool moved = known.left != event->x || known.top != event->y;
  known = {event->x, event->y, event->width, event->height};
  if (main && moved) MainMoved(*p.app);
  return FALSE;
}

// The picture last shown, clipped by GTK to what needs drawing. A window
// that changed size has its picture composed afresh first.
gboolean OnMainDraw(GtkWidget*, cairo_t* cr, gpointer data) {
  GtkPlatform& p = Platform(data);
  if (p.full_paint_due) {
    p.full_paint_due = false;
    p.drawing = true;
    PaintMain(*p.app, true);
    p.drawing = false;
  }
  const Surface& picture = p.app->shown_picture;
  const int32_t s = p.app->sprites.scale;
  GdkRectangle clip;
  if (picture.pixels.empty() || s < 1 || !gdk_cairo_get_clip_rectangle(cr, &clip)) return TRUE;
  const PixelBox area = {clip.x / s, clip.y / s, std::min((clip.x + clip.width + s - 1) / s,
                                                          picture.width),
                         std::min((clip.y + clip.height + s - 1) / s, picture.height)};
  // Without double buffering the draw goes to the window itself, where the
  // picture is put straight: cairo would keep megabytes of shared memory for
  // uploading it.
  if (PutPicture(gtk_widget_get_window(p.main_window), picture, s, area, p.band)) return TRUE;
  // The core's pixels read 0x00RRGGBB, cairo's RGB24 exactly.
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  ForEachBand(picture, s, area, p.band, [cr](Surface& part, int32_t left, int32_t top) {
    cairo_surface_t* image = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(part.pixels.data()), CAIRO_FORMAT_RGB24, part.width,
        part.height, part.stride);
    cairo_set_source_surface(cr, image, left, top);
    cairo_rectangle(cr, left, top, part.width, part.height);
    cairo_fill(cr);
    cairo_surface_destroy(image);
  });
  return TRUE;
}

// Blended by a compositor, half black; without one the checkerboard shape
// makes the shadow, so the black is solid.
gboolean OnShadowDraw(GtkWidget*, cairo_t* cr, gpointer data) {
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgba(cr, 0, 0, 0, Platform(data).composited ? 0.5 : 1.0);
  cairo_paint(cr);
  return TRUE;
}

gboolean OnMainPress(GtkWidget*, GdkEventButton* event, gpointer data) {
  if (event->button != GDK_BUTTON_PRIMARY) return TRUE;
  App& app = *Platform(data).app;
  switch (event->type) {
    // Window pixels of the press, never negative inside the window.
    case GDK_BUTTON_PRESS:
      PressLeft(app, static_cast<int32_t>(event->x), static_cast<int32_t>(event->y));
      break;
    case GDK_2BUTTON_PRESS: DoubleClicked(app); break;
    default: break;
  }
  return TRUE;
}

gboolean OnMainRelease(GtkWidget*, GdkEventButton* event, gpointer data) {
  App& app = *Platform(data).app;
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

gboolean OnMainMotion(GtkWidget*, GdkEventMotion*, gpointer data) {
  MoveMouse(*Platform(data).app);
  return TRUE;
}

gboolean OnFocusOut(GtkWidget*, GdkEventFocus*, gpointer data) {
  Deactivated(*Platform(data).app);
  return FALSE;
}

// Closing either window ends the program the way Exit does.
gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  Platform(data).CloseProgram();
  return TRUE;
}

void OnCompositedChanged(GdkScreen* screen, gpointer data) {
  Platform(data).composited = gdk_screen_is_composited(screen);
  Platform(data).ReapplyShadowShape();
}

void OnMonitorsChanged(GdkScreen*, gpointer data) {
  Platform(data).RefreshVirtualScreen();
  WatchScreen(*Platform(data).app);
}

void MakeShadowWindow(GtkPlatform& p, const ScreenRect& at) {
  GdkScreen* screen = gdk_screen_get_default();
  GtkWidget* shadow = MakeWindow("shadow", at);
  // With an alpha channel the compositor can blend the black.
  if (GdkVisual* rgba = gdk_screen_get_rgba_visual(screen)) gtk_widget_set_visual(shadow, rgba);
  gtk_window_set_accept_focus(GTK_WINDOW(shadow), FALSE);
  g_signal_connect(shadow, "draw", G_CALLBACK(OnShadowDraw), &p);
  g_signal_connect(shadow, "configure-event", G_CALLBACK(OnConfigure), &p);
  g_signal_connect(shadow, "delete-event", G_CALLBACK(OnDelete), &p);
  p.shadow_window = shadow;
  p.shadow_bounds = at;
  p.composited = gdk_screen_is_composited(screen);
  g_signal_connect(screen, "composited-changed", G_CALLBACK(OnCompositedChanged), &p);
  g_signal_connect(screen, "monitors-changed", G_CALLBACK(OnMonitorsChanged), &p);
  g_signal_connect(screen, "size-changed", G_CALLBACK(OnMonitorsChanged), &p);
  gtk_widget_realize(shadow);
}

void MakeMainWindow(GtkPlatform& p, const ScreenRect& at) {
  GtkWidget* main = MakeWindow("character", at);
  gtk_widget_add_events(main, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                  GDK_POINTER_MOTION_MASK | GDK_FOCUS_CHANGE_MASK |
                                  GDK_STRUCTURE_MASK);
  g_signal_connect(main, "draw", G_CALLBACK(OnMainDraw), &p);
  g_signal_connect(main, "configure-event", G_CALLBACK(OnConfigure), &p);
  g_signal_connect(main, "button-press-event", G_CALLBACK(OnMainPress), &p);
  g_signal_connect(main, "button-release-event", G_CALLBACK(OnMainRelease), &p);
  g_signal_connect(main, "motion-notify-event", G_CALLBACK(OnMainMotion), &p);
  g_signal_connect(main, "focus-out-event", G_CALLBACK(OnFocusOut), &p);
  g_signal_connect(main, "delete-event", G_CALLBACK(OnDelete), &p);
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gtk_widget_set_double_buffered(main, FALSE);
  G_GNUC_END_IGNORE_DEPRECATIONS
  p.main_window = main;
  p.main_bounds = at;
  gtk_widget_realize(main);
}

}  // namespace

bool GtkPlatform::CreateWindows(const ScreenRect& main, const ScreenRect& shadow) {
  MakeShadowWindow(*this, shadow);
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
  if (shadow_window) gtk_widget_destroy(shadow_window);
  main_window = shadow_window = nullptr;
  if (gtk_main_level() > 0) gtk_main_quit();
}
