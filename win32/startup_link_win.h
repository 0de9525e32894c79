#pragma once

#include <string>

// The shortcut in the user's Startup folder that starts this edition at
// logon, the one the installer makes when asked ("Kurimaro.lnk",
// "KurimaroLite.lnk"): whether it is there, and making or removing it.
bool StartupShortcutExists();
// Starts the program in start_dir (UTF-8), where its files live.
bool CreateStartupShortcut(const std::string& start_dir);
void RemoveStartupShortcut();
