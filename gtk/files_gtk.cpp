#include "gtk/files_gtk.h"

#include <fcntl.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

std::string ConfigDirectory(const char* dir_option) {
  std::string dir = dir_option ? dir_option : std::string(g_get_user_config_dir()) + "/kurimaro";
  // A directory that cannot be made still runs: nothing is saved then.
  g_mkdir_with_parents(dir.c_str(), 0700);
  return dir;
}

// The file is removed as the holder ends, so a start that opened it just
// before may lock a file that is no longer there: it then tries afresh.
int AcquireInstanceLock(const std::string& path, bool& refused) {
  refused = false;
  for (int attempt = 0; attempt < 8; ++attempt) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      close(fd);
      refused = true;
      return -1;
    }
    struct stat held = {};
    struct stat named = {};
    if (fstat(fd, &held) == 0 && stat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
        held.st_dev == named.st_dev) {
      return fd;
    }
    close(fd);
  }
  return -1;
}

void ReleaseInstanceLock(int& fd, const std::string& path) {
  if (fd < 0) return;
  g_remove(path.c_str());
  close(fd);
  fd = -1;
}
