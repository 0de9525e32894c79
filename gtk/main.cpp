#include <glib-unix.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "behaviour/alarm_list.h"
#include "behaviour/behaviour.h"
#include "gtk/app_gtk.h"
#include "gtk/dialogs_gtk.h"
#include "gtk/display_lost_x11.h"
#include "gtk/embedded.h"
#include "gtk/files_gtk.h"
#include "gtk/icons_gtk.h"
#include "gtk/resume_gtk.h"
#include "gtk/windows_gtk.h"
#include "settings/atomic_file.h"
#include "shell/commands.h"
#include "shell/shell.h"
#include "shell/texts.h"

namespace {

constexpr const char* kLockFileName = ".kurimaro.lock";

// --dir DIR: the program's files live in DIR instead of the user's
// configuration directory. Anything else on the line is ignored.
const char* DirOption(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--dir") == 0) return argv[i + 1];
  }
  return nullptr;
}

bool LoadBuiltInSprites() {
  auto view = [](const EmbeddedFile& f) { return ByteView{f.data, f.size}; };
  return LoadSprites(g_app.sprites, view(kGlyphAtlasBmp), view(kCharacterSheetBmp),
                     view(kBubbleBmp));
}

gboolean OnEndSignal(gpointer) {
  EndProgram();
  return G_SOURCE_CONTINUE;
}

// The X connection is gone: the session ended or the server went away. No
// more X calls can be made, but the settings (with the position last known)
// can still be written and the lock let go.
[[noreturn]] void OnDisplayLost() {
  if (!g_gtk.ended) {
    g_gtk.ended = true;
    SaveAppSettings(g_app, g_settings, g_gtk.platform);
  }
  FreeTray(g_gtk.platform.tray);
  ReleaseInstanceLock(g_gtk.lock_fd, g_gtk.lock_path);
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

void MakeTray() {
  std::vector<GdkPixbuf*> icons = DecodeIcon(kTrayIco);
  // The largest image; the tray scales it to its own size.
  CreateTray(g_gtk.platform.tray, icons.empty() ? nullptr : icons.front());
  FreeIcons(icons);
}

void Finish() {
  EndProgram();
  FreeSprites(g_app.sprites);
  FreeSound(g_gtk.platform.sound);
  ReleaseInstanceLock(g_gtk.lock_fd, g_gtk.lock_path);
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

// GTK's start with the variables it reads then set for this program alone;
// they are put back afterwards, so that the editor it opens gets the user's.
bool StartGtk() {
  struct Variable {
    const char* name;
    const char* value;
    std::optional<std::string> was;
  };
  Variable variables[] = {
      // The mascot has its own scale; the desktop's would blur its pixels.
      {"GDK_SCALE", "1", {}},
      // Nothing is drawn with OpenGL: probing for it would load the graphics
      // driver, tens of megabytes, for nothing.
      {"GDK_GL", "disable", {}},
  };
  for (Variable& v : variables) {
    if (const char* was = g_getenv(v.name)) v.was = was;
    g_setenv(v.name, v.value, TRUE);
  }
  const bool started = gtk_init_check(nullptr, nullptr);
  for (const Variable& v : variables) {
    if (v.was) g_setenv(v.name, v.was->c_str(), TRUE);
    else g_unsetenv(v.name);
  }
  return started;
}

int main(int argc, char** argv) {
  // Wayland desktops run it through XWayland: shapes and placing need X.
  gdk_set_allowed_backends("x11");
  g_set_prgname(kNames.res_name);
  if (!StartGtk()) {
    const char* display = g_getenv("DISPLAY");
    std::fprintf(stderr, "%s: cannot open the X display %s\n", kNames.res_name,
                 display && display[0] ? display : "(DISPLAY is not set)");
    return 2;
  }
  // After the start of GTK, which sets a class made from the program's name.
  gdk_set_program_class(kNames.res_class);
  // The blinks differ from run to run as the start time does.
  g_app.behaviour.random_seed = static_cast<uint32_t>(g_get_monotonic_time() / 1000);
  g_settings.sd_file[0] = '\0';
  g_app.language = UserLanguage();
  g_app.start_dir = ConfigDirectory(DirOption(argc, argv));
  g_gtk.lock_path = StartDirPath(kLockFileName);

  bool refused = false;
  g_gtk.lock_fd = AcquireInstanceLock(g_gtk.lock_path, refused);
  if (refused) {
    ShowAlreadyRunningBox();
    return 0;
  }
  if (!LoadBuiltInSprites()) {
    FreeSprites(g_app.sprites);
    ReleaseInstanceLock(g_gtk.lock_fd, g_gtk.lock_path);
    return 0;
  }
  GtkPlatform& platform = g_gtk.platform;
  // Made on the first start, so the user finds where to write alarms.
  CreateFileIfMissing(StartDirPath(kAlarmFileName).c_str());
  LoadAlarmList(g_app.behaviour, StartDirPath(kAlarmFileName).c_str(), platform);
  SetMode(g_app.behaviour, Idle, g_settings, platform);

  platform.RefreshVirtualScreen();
  const StartPosition pos = LoadSettings(g_settings, StartDirPath(kSettingsFileName).c_str(),
                                         kEdition, platform.screen);
  if (!RescaleSprites(g_app.sprites, g_settings.viewscale)) {
    Finish();
    return 0;
  }
  SetWindowIcons();
  MakeTray();
  CreateAppWindows(pos);
  g_app.screen_width = platform.screen.width;
  g_app.screen_height = platform.screen.height;
  ShowAsStored(g_app, g_settings, kEdition, platform);

  for (int sig : {SIGTERM, SIGINT, SIGHUP}) g_unix_signal_add(sig, OnEndSignal, nullptr);
  WhenDisplayLost(OnDisplayLost);
  WatchForResume();
  gtk_main();
  Finish();
  return 0;
}
