#include "gtk/autostart_gtk.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <unistd.h>

#include "gtk/names_gtk.h"
#include "settings/atomic_file.h"

namespace {

// One argument of Exec: quoted, with the characters the desktop entry rules
// reserve escaped inside the quotes, then the string value's own escape of
// the backslash; a percent sign is a field code unless doubled.
std::string ExecArgument(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  std::string value;
  for (const char c : quoted) {
    if (c == '\\') value += "\\\\";
    else if (c == '%') value += "%%";
    else value += c;
  }
  return value;
}

// The file this process runs from, as the kernel knows it.
std::string ProgramPath() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return kNames.res_name;
  return std::string(path, static_cast<size_t>(n));
}

}  // namespace

std::string AutostartPath() {
  return std::string(g_get_user_config_dir()) + "/autostart/" + kNames.res_name + ".desktop";
}

std::string AutostartEntry(const std::string& program, const std::string& start_dir) {
  return std::string("[Desktop Entry]\n") +
         "Type=Application\n"
         "Name=" + kNames.title + "\n"
         "Comment=Desktop clock mascot\n"
         "Exec=" + ExecArgument(program) + " --dir " + ExecArgument(start_dir) + "\n"
         "Icon=" + kNames.res_name + "\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

bool WriteAutostartEntry(const std::string& start_dir) {
  const std::string path = AutostartPath();
  const std::string dir = path.substr(0, path.rfind('/'));
  if (g_mkdir_with_parents(dir.c_str(), 0700) != 0) return false;
  // The session starts it from its own directory: the folder is named whole.
  gchar* absolute = g_canonicalize_filename(start_dir.c_str(), nullptr);
  const bool written =
      WriteFileAtomically(path.c_str(), AutostartEntry(ProgramPath(), absolute));
  g_free(absolute);
  return written;
}

void RemoveAutostartEntry() { g_remove(AutostartPath().c_str()); }
