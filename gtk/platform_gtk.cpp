#include "gtk/platform_gtk.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "gtk/autostart_gtk.h"
#include "gtk/dialogs_gtk.h"
#include "gtk/embedded.h"
#include "gtk/full_screen_x11.h"
#include "gtk/layer_wayland.h"
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

// Division that rounds down, for screen pixels left of or above the first monitor.
int32_t FloorDiv(int32_t value, int32_t by) {
  return value >= 0 ? value / by : -((-value + by - 1) / by);
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

// CLOCK_BOOTTIME goes on through a suspend, as Windows' tick count does;
// CLOCK_MONOTONIC stands still, and a sleep over midnight would read as a
// clock set back.
uint32_t GtkPlatform::TickCount() {
  timespec now = {};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                               static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}


uint64_t GtkPlatform::FileStamp(const char* path) {
  struct stat info = {};
  // Only a regular file is read: anything else counts as missing.
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return 0;
  return static_cast<uint64_t>(info.st_mtim.tv_sec) * 1000000000u +
         static_cast<uint64_t>(info.st_mtim.tv_nsec);
}

ByteView GtkPlatform::Bitmap(int resource_id) {
  const EmbeddedFile& file = resource_id == IDB_GLYPH_ATLAS       ? kGlyphAtlasBmp
                             : resource_id == IDB_CHARACTER_SHEET ? kCharacterSheetBmp
                                                                  : kBubbleBmp;
  return {file.data, file.size};
}

ScreenRect GtkPlatform::WindowBounds(AppWindow) { return main_bounds; }

// The window holds his picture and, right of and below it, his shadow's
// offset; GDK takes it in its own pixels, rounded up to whole ones, and
// places it on whole ones, so at a desktop scale of 2 he moves in steps of 2
// device pixels. The server moves the window later; the rules read the new
// place at once, as a Win32 move is done when it returns.
void GtkPlatform::PlaceWindow(AppWindow, const ScreenRect& b, bool repaint) {
  if (!main_window) return;
  const int32_t g = desktop_scale;
  const int32_t shadow = look.offset * (b.width / kPictureWidth);
  const int32_t width = (b.width + shadow + g - 1) / g;
  const int32_t height = (b.height + shadow + g - 1) / g;
  const ScreenRect known = main_bounds;
  const bool resized = known.width != b.width || known.height != b.height;
  if (resized) {
    gtk_widget_set_size_request(main_window, width, height);
    gtk_window_resize(GTK_WINDOW(main_window), width, height);
  }
  const int32_t left = FloorDiv(b.left, g);
  const int32_t top = FloorDiv(b.top, g);
  if (layer) PlaceLayerSurface(GTK_WINDOW(main_window), left, top);
  else gtk_window_move(GTK_WINDOW(main_window), left, top);
  main_bounds = {left * g, top * g, b.width, b.height};
  if (resized && repaint) full_paint_due = true;
  if (!(main_bounds == known)) MainMoved(*app);
  if (repaint) gtk_widget_queue_draw(main_window);
}

void GtkPlatform::ApplyRegion(AppWindow, const Region& region, bool) {
  outline = region;
  SetOutline(look.his, region, app->sprites.scale);
  ApplyShape();
  Repaint();
}

void GtkPlatform::ApplyShape() {
  if (!main_window) return;
  // A compositor shows only his pixels and the shadow's; the input alone is cut.
  if (layer) {
    SetInputRegion(gtk_widget_get_window(main_window), outline, desktop_scale);
    return;
  }
  ShapeWindow(gtk_widget_get_window(main_window),
              LookShape(look, app->sprites.scale, argb && composited), outline);
}

// What changed goes to the window, which shows the look as it was composed.
void GtkPlatform::Repaint() {
  const Surface before = look.pixels;
  ComposeLook(look, app->shown_picture, {0, 0, look.pixels.width, look.pixels.height});
  const PixelBox changed = DifferingBox(before, look.pixels);
  if (main_window && !drawing && !changed.empty()) {
    PutPicture(gtk_widget_get_window(main_window), look.pixels, app->sprites.scale, changed, band);
  }
}

// The shadow is drawn in the character's own window, at the offset in cells
// its place had from his when the window was made; it moves with him.
void GtkPlatform::ShapeShadow(const Region& shadow_outline, const ScreenRect&) {
  SetOutline(look.shade, shadow_outline, app->sprites.scale);
  ApplyShape();
  Repaint();
}

// It moves with the window it is part of.
void GtkPlatform::PlaceShadow(const ScreenRect&) {}

void GtkPlatform::ShowShadow(bool shown) {
  if (look.shadow == shown) return;
  look.shadow = shown;
  ApplyShape();
  Repaint();
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
  return FullScreenWindowActiveAt(gtk_widget_get_display(main_window), desktop_scale,
                                  main_bounds.left + main_bounds.width / 2,
                                  main_bounds.top + main_bounds.height / 2);
}

void GtkPlatform::StopTimer(uint32_t id) {
  const auto found = timers.find(id);
  if (found == timers.end()) return;
  g_source_remove(found->second.source);
  timers.erase(found);
}

// Nothing to ask for: a press itself grabs the pointer for its window until
// the release, on X11 (the implicit grab) as on Wayland. An explicit grab
// taken on top of it made GDK drop the second press of a quick double
// click, which came before the grab began.
void GtkPlatform::CaptureMouse() {}

void GtkPlatform::ReleaseMouse() {}

// GDK gives the device pixel divided by its scale, exactly.
ScreenPoint GtkPlatform::CursorPosition() {
  if (layer) return pointer_seen;
  gdouble x = 0;
  gdouble y = 0;
  GdkDevice* pointer = gdk_seat_get_pointer(Seat());
  if (pointer) gdk_device_get_position_double(pointer, nullptr, &x, &y);
  return {static_cast<int32_t>(std::lround(x * desktop_scale)),
          static_cast<int32_t>(std::lround(y * desktop_scale))};
}

// On Wayland only moves over him arrive, each as an event of his window:
// no wake at all while the pointer is elsewhere.
bool GtkPlatform::WatchPointer(bool on) {
  if (!main_window) return false;
  if (layer) {
    pointer_watch = on;
    return true;
  }
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
          t.tm_min,         t.tm_sec,     static_cast<int32_t>(now.tv_nsec / 1000000),
          static_cast<int32_t>(t.tm_gmtoff)};
}

ScreenRect GtkPlatform::VirtualScreen() { return screen; }

// The union of the monitors; left and top are negative with a monitor left
// of or above the first.
void GtkPlatform::RefreshVirtualScreen() {
  GdkDisplay* display = gdk_display_get_default();
  const int count = display ? gdk_display_get_n_monitors(display) : 0;
  if (count == 0) return;
  // One scale for the whole screen on X11; on Wayland each output has its
  // own, and his surface takes the one of the output it stands on.
  const int scale = layer && main_window ? gtk_widget_get_scale_factor(main_window)
                    : layer ? gdk_monitor_get_scale_factor(gdk_display_get_monitor(display, 0))
                            : gdk_window_get_scale_factor(gdk_get_default_root_window());
  desktop_scale = std::max(1, scale);
  const int32_t g = desktop_scale;
  const auto Device = [g](const GdkRectangle& r) {
    return ScreenRect{r.x * g, r.y * g, r.width * g, r.height * g};
  };
  GdkRectangle all = {};
  monitors.clear();
  for (int i = 0; i < count; ++i) {
    GdkMonitor* monitor = gdk_display_get_monitor(display, i);
    GdkRectangle one;
    GdkRectangle work;
    gdk_monitor_get_geometry(monitor, &one);
    gdk_monitor_get_workarea(monitor, &work);
    monitors.push_back({Device(one), Device(work)});
    if (i == 0) all = one;
    else gdk_rectangle_union(&all, &one, &all);
  }
  screen = Device(all);
}

// Straight to the window, as on Windows: GTK's paint would cost a frame of
// its own and an off-screen copy for the few pixels of a blink or a colon.
// Where that cannot be, the draw handler paints the changed box from the
// look; nothing is sent while the handler itself composes.
void GtkPlatform::ShowPicture(const Surface& picture, int32_t scale, const PixelBox& area) {
  ComposeLook(look, picture, area);
  if (drawing || !main_window) return;
  if (PutPicture(gtk_widget_get_window(main_window), look.pixels, scale, area, band)) return;
  const int32_t g = desktop_scale;
  const int32_t left = area.left * scale / g;
  const int32_t top = area.top * scale / g;
  gtk_widget_queue_draw_area(main_window, left, top, (area.right * scale + g - 1) / g - left,
                             (area.bottom * scale + g - 1) / g - top);
}

// Later, from the main loop, as a close message is: the caller may be a
// handler of the very windows that go.
void GtkPlatform::CloseProgram() { g_idle_add(EndProgramLater, this); }

void GtkPlatform::ShowWindowNow(AppWindow, bool shown) {
  if (!main_window) return;
  if (!shown) {
    gtk_widget_hide(main_window);
    return;
  }
  // A window shown again goes back where the rules last put it; margins
  // stay with a layer surface.
  if (!layer) {
    gtk_window_move(GTK_WINDOW(main_window), main_bounds.left / desktop_scale,
                    main_bounds.top / desktop_scale);
  }
  gtk_widget_show(main_window);
}

// X has no owner to minimise: the window leaves the screen, the tray icon stays.
void GtkPlatform::StoreWindows() {
  if (main_window) gtk_widget_hide(main_window);
}

// Nothing was minimised; the rules show the window and bring it to the front
// themselves.
void GtkPlatform::RestoreWindows() {}

// A layer surface stands in its layer; there is no front to bring it to.
void GtkPlatform::BringToFront(AppWindow) {
  if (main_window && !layer && gtk_widget_get_visible(main_window)) {
    gtk_window_present(GTK_WINDOW(main_window));
  }
}

bool GtkPlatform::AddTrayIcon() { return TrayShown(tray); }

void GtkPlatform::ApplyTopmost(bool topmost) {
  if (!main_window) return;
  if (layer) SetLayer(GTK_WINDOW(main_window), topmost);
  else gtk_window_set_keep_above(GTK_WINDOW(main_window), topmost);
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

bool GtkPlatform::StartsAtLogin() { return g_file_test(AutostartPath().c_str(), G_FILE_TEST_EXISTS); }

void GtkPlatform::SetStartAtLogin(bool on, const std::string& start_dir) {
  if (on) WriteAutostartEntry(start_dir);
  else RemoveAutostartEntry();
}
