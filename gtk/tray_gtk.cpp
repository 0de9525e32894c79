// GtkStatusIcon is deprecated in GTK 3 but is the one way to an XEmbed tray.
#define GDK_DISABLE_DEPRECATION_WARNINGS
#include "gtk/tray_gtk.h"

#include <glib/gstdio.h>
#include <libayatana-appindicator/app-indicator.h>
#include <unistd.h>

#include "gtk/menu_gtk.h"
#include "gtk/names_gtk.h"
#include "gtk/tray_host_x11.h"
#include "shell/commands.h"
#include "shell/menu_state.h"
#include "shell/tray.h"

namespace {

constexpr const char* kTip = "Kurimaro";
constexpr const char* kIndicatorIcon = "kurimaro-tray";

// The icon in a tray or out of it: a tray that appears takes a stored
// program away from the screen, one that goes brings it back.
void TrayChanged(TrayState& tray) {
  if (tray.status_icon) gtk_status_icon_set_visible(tray.status_icon, !tray.indicator_connected);
  if (TrayShown(tray)) RetryTrayIcon(*tray.app);
  else TrayHostRestarted(*tray.app);
  RefreshIndicatorMenu(tray);
}

TrayState& Tray(gpointer data) { return *static_cast<TrayState*>(data); }

void OnEmbeddedChanged(GObject*, GParamSpec*, gpointer tray) { TrayChanged(Tray(tray)); }

gboolean OnIconPress(GtkStatusIcon*, GdkEventButton* event, gpointer tray) {
  if (event->type == GDK_2BUTTON_PRESS && event->button == GDK_BUTTON_PRIMARY) {
    TrayDoubleClicked(*Tray(tray).app);
    RefreshIndicatorMenu(Tray(tray));
  }
  return TRUE;
}

gboolean OnIconRelease(GtkStatusIcon*, GdkEventButton* event, gpointer tray) {
  if (event->button == GDK_BUTTON_SECONDARY) TrayRightClicked(*Tray(tray).app);
  return TRUE;
}

// The library says so again whenever it is given a menu, and the change
// gives it a new one: only a real change counts, or the two would go round.
void OnIndicatorConnection(AppIndicator*, gboolean connected, gpointer tray) {
  if (Tray(tray).indicator_connected == static_cast<bool>(connected)) return;
  Tray(tray).indicator_connected = connected;
  TrayChanged(Tray(tray));
}

// An indicator knows no double click: its activation carries that rule.
void OnIndicatorActivated(GtkMenuItem*, gpointer tray) {
  TrayDoubleClicked(*Tray(tray).app);
  RefreshIndicatorMenu(Tray(tray));
}

// The indicator names its icon by file; the file lies in the user's runtime
// directory while the program runs.
void WriteIndicatorIcon(TrayState& tray, GdkPixbuf* icon) {
  const char* runtime = g_get_user_runtime_dir();
  tray.icon_dir = std::string(runtime) + "/kurimaro-" + std::to_string(getpid());
  if (g_mkdir_with_parents(tray.icon_dir.c_str(), 0700) != 0 || !icon) return;
  const std::string file = tray.icon_dir + "/" + kIndicatorIcon + ".png";
  gdk_pixbuf_save(icon, file.c_str(), "png", nullptr, nullptr);
}

// Without a session bus no watcher can listen; the library would try to
// start a bus of its own.
bool SessionBusKnown() {
  if (g_getenv("DBUS_SESSION_BUS_ADDRESS")) return true;
  const std::string bus = std::string(g_get_user_runtime_dir()) + "/bus";
  return g_file_test(bus.c_str(), G_FILE_TEST_EXISTS);
}

void CreateIndicator(TrayState& tray, GdkPixbuf* icon) {
  if (!SessionBusKnown()) return;
  // The indicator would make a status icon of its own without a watcher;
  // ours is already there.
  auto* klass = static_cast<AppIndicatorClass*>(g_type_class_ref(APP_INDICATOR_TYPE));
  klass->fallback = nullptr;
  klass->unfallback = nullptr;
  WriteIndicatorIcon(tray, icon);
  tray.indicator = app_indicator_new_with_path(kNames.res_name, kIndicatorIcon,
                                               APP_INDICATOR_CATEGORY_APPLICATION_STATUS,
                                               tray.icon_dir.c_str());
  app_indicator_set_title(tray.indicator, kTip);
  g_signal_connect(tray.indicator, APP_INDICATOR_SIGNAL_CONNECTION_CHANGED,
                   G_CALLBACK(OnIndicatorConnection), &tray);
  RefreshIndicatorMenu(tray);
  app_indicator_set_status(tray.indicator, APP_INDICATOR_STATUS_ACTIVE);
}

void CreateStatusIcon(TrayState& tray) {
  tray.status_icon =
      tray.icon ? gtk_status_icon_new_from_pixbuf(tray.icon) : gtk_status_icon_new();
  gtk_status_icon_set_tooltip_text(tray.status_icon, kTip);
  gtk_status_icon_set_title(tray.status_icon, kTip);
  // Not named: naming an icon that a tray has realized unrealizes it under
  // GTK's feet; its plug takes the program's name and class anyway.
  gtk_status_icon_set_visible(tray.status_icon, !tray.indicator_connected);
  g_signal_connect(tray.status_icon, "notify::embedded", G_CALLBACK(OnEmbeddedChanged), &tray);
  g_signal_connect(tray.status_icon, "button-press-event", G_CALLBACK(OnIconPress), &tray);
  g_signal_connect(tray.status_icon, "button-release-event", G_CALLBACK(OnIconRelease), &tray);
}

void OnTrayHostArrived(void* tray) {
  if (!Tray(tray).status_icon) CreateStatusIcon(Tray(tray));
}

}  // namespace

void CreateTray(TrayState& tray, GdkPixbuf* icon) {
  tray.icon = icon ? GDK_PIXBUF(g_object_ref(icon)) : nullptr;
  // Watched before the tray is looked for, so that one starting in between
  // is heard. Once made, the status icon follows trays going and coming.
  WatchForTrayHost(OnTrayHostArrived, &tray);
  if (TrayHostPresent()) {
    StopWatchingForTrayHost();
    CreateStatusIcon(tray);
  }
  CreateIndicator(tray, icon);
}

bool TrayShown(const TrayState& tray) {
  return tray.indicator_connected ||
         (tray.status_icon && gtk_status_icon_is_embedded(tray.status_icon));
}

void RefreshIndicatorMenu(TrayState& tray) {
  if (!tray.indicator) return;
  App& app = *tray.app;
  tray.indicator_alarm = !TrayMenuAllowed(app);
  GtkWidget* menu =
      BuildContextMenu(MenuNow(app), app.language, !tray.indicator_alarm, MenuCommandChosen, &tray);
  // Its activation, which the library passes on only to an item on show: it
  // stands last in the menu as well, under the program's name.
  GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
  if (items) {
    GtkWidget* line = gtk_separator_menu_item_new();
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), line);
    gtk_widget_show(line);
  }
  g_list_free(items);
  GtkWidget* activate = gtk_menu_item_new_with_label(kTip);
  g_signal_connect(activate, "activate", G_CALLBACK(OnIndicatorActivated), &tray);
  gtk_menu_shell_append(GTK_MENU_SHELL(menu), activate);
  gtk_widget_show(activate);
  // The old target goes with the old menu: the library would look at it.
  app_indicator_set_secondary_activate_target(tray.indicator, nullptr);
  app_indicator_set_menu(tray.indicator, GTK_MENU(menu));
  app_indicator_set_secondary_activate_target(tray.indicator, activate);
}

void FollowAlarmInIndicator(TrayState& tray) {
  if (tray.indicator && tray.indicator_alarm == TrayMenuAllowed(*tray.app)) {
    RefreshIndicatorMenu(tray);
  }
}

void MenuCommandChosen(uint32_t id, void* tray) {
  HandleCommand(*Tray(tray).app, id);
  RefreshIndicatorMenu(Tray(tray));
}

void FreeTray(TrayState& tray) {
  // Going, the indicator says it is no longer shown; nothing is left to
  // tell, and a new menu then would be given to an object half gone.
  if (tray.indicator) {
    g_signal_handlers_disconnect_by_data(tray.indicator, &tray);
    g_object_unref(tray.indicator);
  }
  tray.indicator = nullptr;
  if (tray.status_icon) g_signal_handlers_disconnect_by_data(tray.status_icon, &tray);
  if (tray.status_icon) g_object_unref(tray.status_icon);
  tray.status_icon = nullptr;
  if (tray.icon) g_object_unref(tray.icon);
  tray.icon = nullptr;
  StopWatchingForTrayHost();
  if (!tray.icon_dir.empty()) {
    g_remove((tray.icon_dir + "/" + kIndicatorIcon + ".png").c_str());
    g_rmdir(tray.icon_dir.c_str());
  }
  tray.icon_dir.clear();
}
