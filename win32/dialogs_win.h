#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The open-file dialog for a WAVE file with the title (UTF-8), starting at
// path (ANSI, as the settings file keeps it). True when the user chose a file
// that an ANSI path can name; the path is then in path.
bool ChooseWaveFileDialog(HWND owner, const char* title, char* path, uint32_t size);
void ShowAboutBox(HWND owner);
// The WAVE file's path as the settings file keeps it (ANSI) for the wide calls.
std::wstring WaveFilePath(const char* ansi);
