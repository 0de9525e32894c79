#include "settings/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

const char kPathSeparator = '/';

bool WriteFileAtomically(const char* path, std::string_view bytes) {
  // A file the user made read-only is kept, as on Windows (root would
  // otherwise replace it regardless).
  struct stat old;
  if (stat(path, &old) == 0 && !(old.st_mode & S_IWUSR)) return false;

  std::string temp = std::string(path) + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  const char* data = bytes.data();
  size_t left = bytes.size();
  bool ok = true;
  while (ok && left > 0) {
    const ssize_t n = write(fd, data, left);
    if (n <= 0) ok = false;
    else { data += n; left -= static_cast<size_t>(n); }
  }
  ok = ok && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  ok = ok && std::rename(temp.c_str(), path) == 0;
  if (!ok) unlink(temp.c_str());
  return ok;
}

std::FILE* OpenFileForReading(const char* path) {
  // Without O_NONBLOCK the open of a FIFO waits for a writer, and a device
  // may wait for its line; a regular file reads the same either way.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  const int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    return nullptr;
  }
  std::FILE* file = fdopen(fd, "rb");
  if (!file) close(fd);
  return file;
}

std::FILE* OpenNativePathForReading(const char* path) { return OpenFileForReading(path); }

bool CreateFileIfMissing(const char* path) {
  const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd >= 0) return close(fd) == 0;
  return errno == EEXIST;
}
