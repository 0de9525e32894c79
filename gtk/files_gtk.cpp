#include "gtk/files_gtk.h"

#include <fcntl.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string ConfigDirectory(const char* dir_option) {
  std::string dir = dir_option ? dir_option : std::string(g_get_user_config_dir()) + "/kurimaro";
  // A directory that cannot be made still runs: nothing is saved then.
  g_mkdir_with_parents(dir.c_str(), 0700);
  return dir;
}

std::string LockPath(const std::string& config_dir) {
  const char* runtime = g_getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') return std::string(runtime) + "/kurimaro.lock";
  return config_dir + "/.kurimaro.lock";
}

namespace {

void NoLock(const std::string& path, int error) {
  std::fprintf(stderr, "%s: no single-instance lock at %s (%s); running without one\n",
               g_get_prgname(), path.c_str(), std::strerror(error));
}

}  // namespace

// The file is removed as the holder ends, so a start that opened it just
// before may lock a file that is no longer there: it then tries afresh. Only
// a lock held by another copy refuses the start; one the file system cannot
// give (ENOLCK on a network home) lets the program run.
int AcquireInstanceLock(const std::string& path, bool& refused) {
  refused = false;
  for (int attempt = 0; attempt < 8; ++attempt) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
      NoLock(path, errno);
      return -1;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      close(fd);
      if (error == EWOULDBLOCK) {
        refused = true;
      } else {
        NoLock(path, error);
      }
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
