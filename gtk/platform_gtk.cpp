#include "gtk/platform_gtk.h"

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

#include "gtk/dialogs_gtk.h"
#include "gtk/embedded.h"
#include "gtk/full_screen_x11.h"
#include "gtk/menu_gtk.h"
#include "gtk/pointer_moves_x11.h"
#include "gtk/present_x11.h"
#include "resources/resource_ids.h"
#include "shell/events.h"
#include "shell/windows.h"

namespace {

gboolean OnTimerSource(gpointer timer) {
  // Copied first: the timer's own work may stop or restart it.
  const TimerSource t = *static_cast<TimerSource*>(timer);
  TimerFired(*t.platform->app, t.id);
  if (t.id == TIMER_FRAME) FollowAlarmInIndicator(t.platform->tray);
  return G_SOURCE_CONTINUE;
}

cairo_region_t* CairoRegion(const Region& region) {
  cairo_region_t* out = cairo_region_create();
  for (const PixelBox& r : region) {
    const cairo_rectangle_int_t rect = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    cairo_region_union_rectangle(out, &rect);
  }
  return out;
}

// Every other scaled pixel of the picture: a shadow that needs no blending
// and still reads as pixel art.
cairo_region_t* Checkerboard(int32_t scale) {
  std::vector<cairo_rectangle_int_t> blocks;
  for (int32_t y = 0; y < kPictureHeight; ++y) {
    for (int32_t x = y % 2; x < kPictureWidth; x += 2) {
      blocks.push_back({x * scale, y * scale, scale, scale});
    }
  }
  return cairo_region_create_rectangles(blocks.data(), static_cast<int>(blocks.size()));
}

gboolean EndProgramLater(gpointer platform) {
  static_cast<GtkPlatform*>(platform)->EndProgram();
  return G_SOURCE_REMOVE;
}

GdkSeat* Seat() { return gdk_display_get_default_seat(gdk_display_get_default()); }

}  // namespace

void GtkPlatform::PlayAlarmSound(AlarmSound which, const char* path, bool loop) {
  switch (which) {
    case AlarmSound::Laugh: PlayBuiltInSound(sound, IDW_SOUND_LAUGH, loop); break;
    case AlarmSound::Ok: PlayBuiltInSound(sound, IDW_SOUND_OK, loop); break;
    case AlarmSound::File: PlaySoundPath(sound, path, loop); break;
  }
}

void GtkPlatform::StopSound() { StopPlaying(sound); }

void GtkPlatform::SetAlarmTimer(uint32_t interval_ms) {
  StartTimer(TIMER_ALARM_LENGTH, interval_ms);
}

void GtkPlatform::KillAlarmTimer() { StopTimer(TIMER_ALARM_LENGTH); }

uint32_t GtkPlatform::TickCount() { return static_cast<uint32_t>(g_get_monotonic_time() / 1000); }


uint64_t GtkPlatform::FileStamp(const char* path) {
  struct stat info = {};
  if (stat(path, &info) != 0) return 0;
  return static_cast<uint64_t>(info.st_mtim.tv_sec) * 1000000000u +
         static_cast<uint64_t>(info.st_mtim.tv_nsec);
}

ByteView GtkPlatform::Bitmap(int resource_id) {
  const EmbeddedFile& file = resource_id == IDB_GLYPH_ATLAS       ? kGlyphAtlasBmp
                             : resource_id == IDB_CHARACTER_SHEET ? kCharacterSheetBmp
                                                                  : kBubbleBmp;
  return {file.data, file.size};
}

ScreenRect GtkPlatform::WindowBounds(AppWindow window) {
  return window == AppWindow::Main ? main_bounds : shadow_bounds;
}

// The server moves the window later; the rules read the new place at once,
// as a Win32 move is done when it returns.
void GtkPlatform::PlaceWindow(AppWindow window, const ScreenRect& b, bool repaint) {
  GtkWidget* widget = Widget(window);
  if (!widget) return;
  ScreenRect& known = window == AppWindow::Main ? main_bounds : shadow_bounds;
  const bool resized = known.width != b.width || known.height != b.height;
  const bool moved = known.left != b.left || known.top != b.top;
  if (resized) {
    gtk_widget_set_size_request(widget, b.width, b.height);
    gtk_window_resize(GTK_WINDOW(widget), b.width, b.height);
  }
  gtk_window_move(GTK_WINDOW(widget), b.left, b.top);
  known = b;
  if (window == AppWindow::Main) {
    if (resized && repaint) full_paint_due = true;
    if (moved || resized) MainMoved(*app);
  }
  if (repaint) gtk_widget_queue_draw(widget);
}

void GtkPlatform::ApplyRegion(AppWindow window, const Region& region, bool) {
  if (window == AppWindow::Shadow) {
    shadow_region = region;
    shadow_scale = app->sprites.scale;
    ReapplyShadowShape();
    return;
  }
  if (!main_window) return;
  cairo_region_t* shape = CairoRegion(region);
  gtk_widget_shape_combine_region(main_window, shape);
  cairo_region_destroy(shape);
}

void GtkPlatform::ReapplyShadowShape() {
  if (!shadow_window) return;
  cairo_region_t* shape = CairoRegion(shadow_region);
  if (!composited) {
    cairo_region_t* checker = Checkerboard(shadow_scale > 0 ? shadow_scale : 1);
    cairo_region_intersect(shape, checker);
    cairo_region_destroy(checker);
  }
  gtk_widget_shape_combine_region(shadow_window, shape);
  cairo_region_destroy(shape);
  // Clicks fall through the shadow to whatever lies under it.
  cairo_region_t* none = cairo_region_create();
  gtk_widget_input_shape_combine_region(shadow_window, none);
  cairo_region_destroy(none);
  gtk_widget_queue_draw(shadow_window);
}

// One GLib source per id, replaced when started again, as SetTimer does.
void GtkPlatform::StartTimer(uint32_t id, uint32_t interval_ms) {
  if (ended) return;
  StopTimer(id);
  TimerSource& timer = timers[id];
  timer = {this, id, 0};
  timer.source = g_timeout_add(interval_ms, OnTimerSource, &timer);
}

// A one-shot wake, re-armed after each: the source it replaces is the one
// running now, which GLib allows to be removed.
void GtkPlatform::ArmWake(uint32_t delay_ms, uint32_t) { StartTimer(TIMER_FRAME, delay_ms); }

// Read where the character stands as the rules last placed it: while it
// stands aside its window is unmapped.
bool GtkPlatform::FullScreenAppInFront() {
  if (!main_window) return false;
  return FullScreenWindowActiveAt(gtk_widget_get_display(main_window),
                                  main_bounds.left + main_bounds.width / 2,
                                  main_bounds.top + main_bounds.height / 2);
}

void GtkPlatform::StopTimer(uint32_t id) {
  const auto found = timers.find(id);
  if (found == timers.end()) return;
  g_source_remove(found->second.source);
  timers.erase(found);
}

void GtkPlatform::CaptureMouse() {
  GdkWindow* window = main_window ? gtk_widget_get_window(main_window) : nullptr;
  if (window) {
    gdk_seat_grab(Seat(), window, GDK_SEAT_CAPABILITY_POINTER, FALSE, nullptr, nullptr, nullptr,
                  nullptr);
  }
}

void GtkPlatform::ReleaseMouse() { gdk_seat_ungrab(Seat()); }

ScreenPoint GtkPlatform::CursorPosition() {
  gint x = 0;
  gint y = 0;
  GdkDevice* pointer = gdk_seat_get_pointer(Seat());
  if (pointer) gdk_device_get_position(pointer, nullptr, &x, &y);
  return {x, y};
}

bool GtkPlatform::WatchPointer(bool on) {
  if (!main_window) return false;
  return SelectPointerMoves(gtk_widget_get_display(main_window), on, [](void* data) {
    auto* p = static_cast<GtkPlatform*>(data);
    if (!p->ended) PointerMoved(*p->app);
  }, this);
}

LocalTime GtkPlatform::LocalNow() {
  timespec now = {};
  clock_gettime(CLOCK_REALTIME, &now);
  // localtime_r keeps the zone it first read; tzset looks at /etc/localtime
  // and TZ again, once a second rather than at each of a wake's readings, so
  // that a zone the user changes shows at the next second.
  if (now.tv_sec != zone_checked) {
    tzset();
    zone_checked = now.tv_sec;
  }
  std::tm t = {};
  localtime_r(&now.tv_sec, &t);
  return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_wday, t.tm_hour,
          t.tm_min,         t.tm_sec,     static_cast<int32_t>(now.tv_nsec / 1000000)};
}

ScreenRect GtkPlatform::VirtualScreen() { return screen; }

// The union of the monitors; left and top are negative with a monitor left
// of or above the first.
void GtkPlatform::RefreshVirtualScreen() {
  GdkDisplay* display = gdk_display_get_default();
  const int count = display ? gdk_display_get_n_monitors(display) : 0;
  if (count == 0) return;
  GdkRectangle all = {};
  for (int i = 0; i < count; ++i) {
    GdkRectangle one;
    gdk_monitor_get_geometry(gdk_display_get_monitor(display, i), &one);
    if (i == 0) all = one;
    else gdk_rectangle_union(&all, &one, &all);
  }
  screen = {all.x, all.y, all.width, all.height};
}

// Straight to the window, as on Windows: GTK's paint would cost a frame of
// its own and an off-screen copy for the few pixels of a blink or a colon.
// Where that cannot be, the draw handler paints the changed box from the
// picture last shown; nothing is sent while the handler itself composes.
void GtkPlatform::ShowPicture(const Surface& picture, int32_t scale, const PixelBox& area) {
  if (drawing || !main_window) return;
  if (PutPicture(gtk_widget_get_window(main_window), picture, scale, area, band)) return;
  gtk_widget_queue_draw_area(main_window, area.left * scale, area.top * scale,
                             (area.right - area.left) * scale, (area.bottom - area.top) * scale);
}

void GtkPlatform::FillShadow() {
  if (shadow_window) gtk_widget_queue_draw(shadow_window);
}

// Later, from the main loop, as a close message is: the caller may be a
// handler of the very windows that go.
void GtkPlatform::CloseProgram() { g_idle_add(EndProgramLater, this); }

void GtkPlatform::ShowWindowNow(AppWindow window, bool shown) {
  GtkWidget* widget = Widget(window);
  if (!widget) return;
  if (!shown) {
    gtk_widget_hide(widget);
    return;
  }
  // A window shown again goes back where the rules last put it.
  const ScreenRect b = WindowBounds(window);
  gtk_window_move(GTK_WINDOW(widget), b.left, b.top);
  gtk_widget_show(widget);
  StackShadowUnderMain();
}

// X has no owner to minimise: both windows leave the screen, the tray icon stays.
void GtkPlatform::StoreWindows() {
  if (shadow_window) gtk_widget_hide(shadow_window);
  if (main_window) gtk_widget_hide(main_window);
}

// Nothing was minimised; the rules show each window and bring the character
// to the front themselves.
void GtkPlatform::RestoreWindows() {}

void GtkPlatform::BringToFront(AppWindow) {
  if (main_window && gtk_widget_get_visible(main_window)) {
    gtk_window_present(GTK_WINDOW(main_window));
  }
  StackShadowUnderMain();
}

bool GtkPlatform::AddTrayIcon() { return TrayShown(tray); }

void GtkPlatform::ApplyTopmost(bool topmost) {
  if (shadow_window) gtk_window_set_keep_above(GTK_WINDOW(shadow_window), topmost);
  if (main_window) gtk_window_set_keep_above(GTK_WINDOW(main_window), topmost);
  StackShadowUnderMain();
}

void GtkPlatform::StackShadowUnderMain() {
  GdkWindow* shadow = shadow_window ? gtk_widget_get_window(shadow_window) : nullptr;
  GdkWindow* main = main_window ? gtk_widget_get_window(main_window) : nullptr;
  if (!shadow || !main) return;
  if (gtk_widget_get_visible(shadow_window) && gtk_widget_get_visible(main_window)) {
    gdk_window_restack(shadow, main, FALSE);
  }
}

void GtkPlatform::TrackMenu(AppWindow owner, Language language,
                            const std::vector<MenuItemState>& items) {
  RunContextMenu(items, language, owner == AppWindow::Shadow, MenuCommandChosen, &tray,
                 open_loops);
}

bool GtkPlatform::ChooseWaveFile(const char* title, char* path, uint32_t size) {
  return ChooseWaveFileDialog(main_window, title, path, size, open_loops);
}

void GtkPlatform::ShowAbout() { ShowAboutBox(main_window, open_loops); }

void GtkPlatform::OpenDocument(const char* path, const char*) { OpenWithDefaultApplication(path); }
