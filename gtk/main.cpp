#include <glib-unix.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "gtk/dialogs_gtk.h"
#include "gtk/display_lost_x11.h"
#include "gtk/embedded.h"
#include "gtk/files_gtk.h"
#include "gtk/icons_gtk.h"
#include "gtk/layer_wayland.h"
#include "gtk/names_gtk.h"
#include "gtk/platform_gtk.h"
#include "gtk/resume_gtk.h"
#include "shell/startup.h"
#include "shell/texts.h"
#include "shell/windows.h"

namespace {

// --dir DIR: the program's files live in DIR instead of the user's
// configuration directory; --x11 takes the X11 path on a Wayland desktop;
// --verbose tells on stderr which path was taken. Anything else on the line
// is ignored.
const char* DirOption(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--dir") == 0) return argv[i + 1];
  }
  return nullptr;
}

bool HasOption(int argc, char** argv, const char* option) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], option) == 0) return true;
  }
  return false;
}

// The program as main holds it: the lock, and the system half with its record.
struct Program {
  GtkPlatform platform;
  App app{platform, kEdition};
  int lock_fd = -1;       // the single-instance lock file while held
  std::string lock_path;  // removed when the program ends
};

// The one the display's loss reaches: that handler takes no data.
Program* g_lost = nullptr;

gboolean OnEndSignal(gpointer program) {
  static_cast<Program*>(program)->platform.EndProgram();
  return G_SOURCE_CONTINUE;
}

// The X connection or the compositor's is gone: the session ended or the
// server went away. No more calls can be made to it, but the settings (with
// the position last known) can still be written and the lock let go.
[[noreturn]] void OnDisplayLost() {
  Program& p = *g_lost;
  if (!p.platform.ended) {
    p.platform.ended = true;
    SaveAppSettings(p.app);
  }
  FreeTray(p.platform.tray);
  ReleaseInstanceLock(p.lock_fd, p.lock_path);
  _exit(0);
}

void SetWindowIcons() {
  std::vector<GdkPixbuf*> icons = DecodeIcon(kWindowIco);
  GList* list = nullptr;
  for (GdkPixbuf* icon : icons) list = g_list_append(list, icon);
  gtk_window_set_default_icon_list(list);
  g_list_free(list);
  FreeIcons(icons);
}

void MakeTray(TrayState& tray) {
  std::vector<GdkPixbuf*> icons = DecodeIcon(kTrayIco);
  // The largest image; the tray scales it to its own size.
  CreateTray(tray, icons.empty() ? nullptr : icons.front());
  FreeIcons(icons);
}

void Finish(Program& p) {
  p.platform.EndProgram();
  FreeSprites(p.app.sprites);
  FreeSound(p.platform.sound);
  ReleaseInstanceLock(p.lock_fd, p.lock_path);
}

}  // namespace

// The messages' locale as the C library takes it: LC_ALL, then LC_MESSAGES,
// then LANG.
Language UserLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = g_getenv(name);
    if (value && value[0]) return LanguageOfLocale(value);
  }
  return LanguageOfLocale(nullptr);
}

// Wayland's own backend where the compositor offers layer shell, which
// places and stacks him as X does; X11 (XWayland on a Wayland desktop)
// everywhere else, whose shapes and moves the program has always used.
bool OpenDisplay(bool wayland, bool& layer) {
  layer = false;
  gdk_set_allowed_backends(wayland ? "wayland" : "x11");
  const bool started = gtk_init_check(nullptr, nullptr);
  if (!wayland) return started;
  if (started && LayerShellOffered()) {
    layer = true;
    return true;
  }
  if (started) gdk_display_close(gdk_display_get_default());
  gdk_set_allowed_backends("x11");
  GdkDisplay* display = gdk_display_open(nullptr);
  if (!display) return false;
  gdk_display_manager_set_default_display(gdk_display_manager_get(), display);
  return true;
}

// GTK's start with the variables it reads then set for this program alone;
// they are put back afterwards, so that the editor it opens gets the user's.
bool StartGtk(bool wayland, bool& layer) {
  struct Variable {
    const char* name;
    const char* value;
    std::optional<std::string> was;
  };
  // The desktop's scale is left to GTK: the menu and the boxes follow it,
  // and the character is drawn in device pixels whatever it is.
  Variable variables[] = {
      // Nothing is drawn with OpenGL: probing for it would load the graphics
      // driver, tens of megabytes, for nothing.
      {"GDK_GL", "disable", {}},
  };
  for (Variable& v : variables) {
    if (const char* was = g_getenv(v.name)) v.was = was;
    g_setenv(v.name, v.value, TRUE);
  }
  const bool started = OpenDisplay(wayland, layer);
  for (const Variable& v : variables) {
    if (v.was) g_setenv(v.name, v.was->c_str(), TRUE);
    else g_unsetenv(v.name);
  }
  return started;
}

int main(int argc, char** argv) {
  g_set_prgname(kNames.res_name);
  const char* wayland_display = g_getenv("WAYLAND_DISPLAY");
  const bool wayland = wayland_display && wayland_display[0] && !HasOption(argc, argv, "--x11");
  bool layer = false;
  if (!StartGtk(wayland, layer)) {
    const char* display = g_getenv("DISPLAY");
    std::fprintf(stderr, "%s: cannot open the X display %s\n", kNames.res_name,
                 display && display[0] ? display : "(DISPLAY is not set)");
    return 2;
  }
  // After the start of GTK, which sets a class made from the program's name.
  gdk_set_program_class(kNames.res_class);
  if (HasOption(argc, argv, "--verbose")) {
    std::fprintf(stderr, "%s: %s\n", kNames.res_name, layer ? "wayland layer-shell" : "x11");
  }
  Program p;
  p.platform.layer = layer;
  p.platform.app = &p.app;
  p.platform.tray.app = &p.app;
  p.app.language = UserLanguage();
  p.app.start_dir = ConfigDirectory(DirOption(argc, argv));
  p.lock_path = LockPath(p.app.start_dir);

  bool refused = false;
  p.lock_fd = AcquireInstanceLock(p.lock_path, refused);
  if (refused) {
    ShowAlreadyRunningBox(p.app.language);
    return 0;
  }
  p.platform.RefreshVirtualScreen();
  SetWindowIcons();
  MakeTray(p.platform.tray);
  if (!StartApp(p.app)) {
    Finish(p);
    return 0;
  }

  for (int sig : {SIGTERM, SIGINT, SIGHUP}) g_unix_signal_add(sig, OnEndSignal, &p);
  g_lost = &p;
  if (layer) WhenCompositorLost(OnDisplayLost);
  else WhenDisplayLost(OnDisplayLost);
  WatchForResume(p.app);
  gtk_main();
  Finish(p);
  return 0;
}
