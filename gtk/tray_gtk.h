#pragma once

#include <gtk/gtk.h>

#include <string>

typedef struct _AppIndicator AppIndicator;
struct App;

// The program's tray icon: a StatusNotifierItem where a watcher listens,
// else an XEmbed icon in a system tray.
struct TrayState {
  App* app = nullptr;                    // whose icon it is
  GtkStatusIcon* status_icon = nullptr;  // XEmbed, once a tray is there; hidden while the
                                         // indicator serves
  GdkPixbuf* icon = nullptr;             // for a status icon made when a tray comes
  AppIndicator* indicator = nullptr;     // StatusNotifierItem
  bool indicator_connected = false;      // a watcher shows the indicator
  bool indicator_alarm = false;          // the indicator's menu was last made during an alarm
  std::string icon_dir;                  // the indicator's icon file lies here while it runs
};

// The indicator at once; the status icon once a system tray is there: made
// with no tray to take it, it would load GTK's fonts and styles for nothing.
void CreateTray(TrayState& tray, GdkPixbuf* icon);
// Whether some tray shows the icon now.
bool TrayShown(const TrayState& tray);
// The indicator's menu as the settings are now; its host opens it without
// asking, so it is made again after every change.
void RefreshIndicatorMenu(TrayState& tray);
// A command chosen from either menu (data: the TrayState): handled, and the
// indicator's menu made again to show it.
void MenuCommandChosen(uint32_t id, void* tray);
// From the frame timer: the indicator's menu follows an alarm starting or ending.
void FollowAlarmInIndicator(TrayState& tray);
void FreeTray(TrayState& tray);
