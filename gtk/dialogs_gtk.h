#pragma once

#include <gtk/gtk.h>

#include <cstdint>

#include "shell/texts.h"

// The open-file dialog for a WAVE file, starting at path; true when the user
// chose one that fits in size bytes with the terminator, then in path.
bool ChooseWaveFileDialog(GtkWidget* owner, const char* title, char* path, uint32_t size);
void ShowAboutBox(GtkWidget* owner);
void ShowAlreadyRunningBox(Language language);
// Opens a document with the user's default application for its type.
void OpenWithDefaultApplication(const char* path);
