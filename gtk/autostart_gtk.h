#pragma once

#include <string>

// The program's entry in the user's autostart folder
// ($XDG_CONFIG_HOME/autostart, by the XDG autostart rules): the desktop
// starts what it names at login.
std::string AutostartPath();
// The entry that starts this very program (same edition, same --dir).
std::string AutostartEntry(const std::string& program, const std::string& start_dir);
bool WriteAutostartEntry(const std::string& start_dir);
void RemoveAutostartEntry();
