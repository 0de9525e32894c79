#include "gtk/resume_gtk.h"

#include <gio/gio.h>

#include "gtk/app_gtk.h"
#include "shell/shell.h"

namespace {

// PrepareForSleep(true) comes before the sleep, (false) after the wake.
void OnPrepareForSleep(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                       GVariant* parameters, gpointer) {
  if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) return;
  gboolean going = TRUE;
  g_variant_get(parameters, "(b)", &going);
  if (!going && !g_gtk.ended) Resumed(g_app, g_settings, kEdition, g_gtk.platform);
}

void OnSystemBus(GObject*, GAsyncResult* result, gpointer) {
  GDBusConnection* bus = g_bus_get_finish(result, nullptr);
  if (!bus) return;  // no system bus: a wake is seen at the next second instead
  // The connection and the subscription live as long as the program.
  g_dbus_connection_signal_subscribe(bus, "org.freedesktop.login1",
                                     "org.freedesktop.login1.Manager", "PrepareForSleep",
                                     "/org/freedesktop/login1", nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                     OnPrepareForSleep, nullptr, nullptr);
}

}  // namespace

void WatchForResume() { g_bus_get(G_BUS_TYPE_SYSTEM, nullptr, OnSystemBus, nullptr); }
