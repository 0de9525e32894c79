#include "gtk/app_gtk.h"

Settings g_settings;
AppState g_app;
GtkState g_gtk;

std::string StartDirPath(const char* file_name) {
  return JoinStartDir(g_app.start_dir.c_str(), file_name);
}
