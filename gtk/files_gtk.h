#pragma once

#include <string>

// The directory of the program's files: DIR of --dir, else
// $XDG_CONFIG_HOME/kurimaro (~/.config/kurimaro); made when missing.
std::string ConfigDirectory(const char* dir_option);

// Where the single-instance lock lives: $XDG_RUNTIME_DIR, local to this
// machine by the XDG rules (a shared home would otherwise keep a second
// machine out), else the program's directory.
std::string LockPath(const std::string& config_dir);

// The single-instance lock on that file, shared by both programs. Returns the
// held descriptor, or -1 when another copy holds it (refused) or no lock can
// be had at all (a line on stderr says so, and the program runs without one).
int AcquireInstanceLock(const std::string& path, bool& refused);
// Gives the lock up and removes its file.
void ReleaseInstanceLock(int& fd, const std::string& path);
