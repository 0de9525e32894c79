#pragma once

#include <string>

// The directory of the program's files: DIR of --dir, else
// $XDG_CONFIG_HOME/kurimaro (~/.config/kurimaro); made when missing.
std::string ConfigDirectory(const char* dir_option);

// The single-instance lock on a file in that directory, shared by both
// programs. Returns the held descriptor, or -1 when another copy holds it.
// A directory where no lock file can be made gives no lock and no refusal.
int AcquireInstanceLock(const std::string& path, bool& refused);
// Gives the lock up and removes its file.
void ReleaseInstanceLock(int& fd, const std::string& path);
