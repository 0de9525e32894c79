#include "gtk/resume_gtk.h"

#include <gio/gio.h>

#include "shell/events.h"

namespace {

// PrepareForSleep(true) comes before the sleep, (false) after the wake.
void OnPrepareForSleep(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                       GVariant* parameters, gpointer app) {
  if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) return;
  gboolean going = TRUE;
  g_variant_get(parameters, "(b)", &going);
  if (!going) Resumed(*static_cast<App*>(app));
}

void OnSystemBus(GObject*, GAsyncResult* result, gpointer app) {
  GDBusConnection* bus = g_bus_get_finish(result, nullptr);
  if (!bus) return;  // no system bus: a wake is seen at the next second instead
  // The connection and the subscription live as long as the program.
  g_dbus_connection_signal_subscribe(bus, "org.freedesktop.login1",
                                     "org.freedesktop.login1.Manager", "PrepareForSleep",
                                     "/org/freedesktop/login1", nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                     OnPrepareForSleep, app, nullptr);
}

}  // namespace

void WatchForResume(App& app) { g_bus_get(G_BUS_TYPE_SYSTEM, nullptr, OnSystemBus, &app); }
