#include "gtk/dialogs_gtk.h"

#include "shell/texts.h"

#include <cstring>
#include <string>

#include "gtk/names_gtk.h"

namespace {

gint Run(GtkWidget* dialog, std::vector<GtkWidget*>& open) {
  open.push_back(dialog);
  const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
  open.pop_back();
  return response;
}

void ShowBox(GtkWidget* owner, const char* caption, const std::string& text,
             std::vector<GtkWidget*>& open) {
  GtkWidget* box = gtk_message_dialog_new(owner ? GTK_WINDOW(owner) : nullptr,
                                          GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER, GTK_BUTTONS_OK,
                                          "%s", text.c_str());
  gtk_window_set_title(GTK_WINDOW(box), caption);
  gtk_window_set_keep_above(GTK_WINDOW(box), TRUE);
  Run(box, open);
  gtk_widget_destroy(box);
}

}  // namespace

bool ChooseWaveFileDialog(GtkWidget* owner, const char* title, char* path, uint32_t size,
                          std::vector<GtkWidget*>& open) {
  GtkWindow* parent = owner ? GTK_WINDOW(owner) : nullptr;
  GtkWidget* dialog = gtk_file_chooser_dialog_new(title, parent,
                                                  GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
                                                  GTK_RESPONSE_CANCEL, "_Open",
                                                  GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileFilter* filter = gtk_file_filter_new();
  gtk_file_filter_set_name(filter, "wave(*.wav)");
  // Windows matches the pattern without regard to case.
  gtk_file_filter_add_pattern(filter, "*.[Ww][Aa][Vv]");
  gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), filter);
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  // The current file is the starting point when it is a path of this system.
  if (path[0] == '/') gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(dialog), path);
  bool chosen = false;
  if (Run(dialog, open) == GTK_RESPONSE_ACCEPT) {
    gchar* file = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
    if (file && std::strlen(file) < size) {
      std::memcpy(path, file, std::strlen(file) + 1);
      chosen = true;
    }
    g_free(file);
  }
  gtk_widget_destroy(dialog);
  return chosen;
}

void ShowAboutBox(GtkWidget* owner, std::vector<GtkWidget*>& open) {
  // The version is the build's.
  ShowBox(owner, kNames.title, AboutText(kNames.title, KURIMARO_VERSION_TEXT), open);
}

// Before the program runs: nothing can end it meanwhile but the user.
void ShowAlreadyRunningBox(Language language) {
  std::vector<GtkWidget*> open;
  ShowBox(nullptr, kNames.title, TextOf(Text::AlreadyRunning, language), open);
}

void OpenWithDefaultApplication(const char* path) {
  gchar* uri = g_filename_to_uri(path, nullptr, nullptr);
  if (!uri) return;
  // No default application, or none for text: nothing happens, as on Windows.
  g_app_info_launch_default_for_uri(uri, nullptr, nullptr);
  g_free(uri);
}
