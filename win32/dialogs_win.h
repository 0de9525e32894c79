#pragma once

#include <windows.h>

#include <cstdint>

// The open-file dialog for a WAVE file, starting at path (ANSI, as the
// settings file keeps it). True when the user chose a file that an ANSI path
// can name; the path is then in path.
bool ChooseWaveFileDialog(HWND owner, char* path, uint32_t size);
void ShowAboutBox(HWND owner);
