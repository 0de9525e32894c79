#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <vector>

#include "shell/texts.h"

// The open-file dialog for a WAVE file, starting at path; true when the user
// chose one that fits in size bytes with the terminator, then in path. Each
// box stands in open while it runs its loop.
bool ChooseWaveFileDialog(GtkWidget* owner, const char* title, char* path, uint32_t size,
                          std::vector<GtkWidget*>& open);
void ShowAboutBox(GtkWidget* owner, std::vector<GtkWidget*>& open);
void ShowAlreadyRunningBox(Language language);
// Opens a document with the user's default application for its type.
void OpenWithDefaultApplication(const char* path);
