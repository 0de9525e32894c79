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

std::FILE* OpenFileForReading(const char* path) { return std::fopen(path, "rb"); }

bool CreateFileIfMissing(const char* path) {
  const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd >= 0) return close(fd) == 0;
  return errno == EEXIST;
}
