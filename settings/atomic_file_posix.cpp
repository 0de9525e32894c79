#include "settings/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <string>

const char kPathSeparator = '/';

namespace {

// The file a path names once its links are followed: a settings file that a
// dotfile manager links elsewhere is written where the link points, and the
// link stays. A link to nothing yet names the file it would make.
std::string FollowLinks(const char* path) {
  std::string at = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    std::string target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 4095) + 1, '\0');
    const ssize_t n = readlink(at.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) break;
    target.resize(static_cast<size_t>(n));
    if (target[0] != '/') {
      const size_t slash = at.rfind('/');
      target = (slash == std::string::npos ? std::string() : at.substr(0, slash + 1)) + target;
    }
    at = target;
  }
  return at;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The rename is on disk only once the directory that holds it is.
void SyncDirectory(const std::string& dir) {
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// The mode a file made afresh gets: what the user's umask leaves of 0666.
mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool WriteFileAtomically(const char* path, std::string_view bytes) {
  const std::string target = FollowLinks(path);
  // A file the user made read-only is kept, as on Windows (root would
  // otherwise replace it regardless).
  struct stat old;
  const bool existed = stat(target.c_str(), &old) == 0;
  if (existed && !(old.st_mode & S_IWUSR)) return false;

  std::string temp = target + ".XXXXXX";
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
  // The file keeps the mode (and, where allowed, the owner) it had; mkstemp
  // alone would make every saved file private.
  ok = ok && fchmod(fd, existed ? (old.st_mode & 07777) : NewFileMode()) == 0;
  if (ok && existed && (old.st_uid != geteuid() || old.st_gid != getegid())) {
    if (fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Not ours to give away: the file stays ours, with its mode.
    }
  }
  ok = ok && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) unlink(temp.c_str());
  if (ok) SyncDirectory(DirectoryOf(target));
  return ok;
}

void RemoveStaleTemporaries(const char* path) {
  const std::string target = FollowLinks(path);
  const std::string dir = DirectoryOf(target);
  const std::string stem = target.substr(target.rfind('/') + 1) + ".";
  DIR* listing = opendir(dir.c_str());
  if (!listing) return;
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    // mkstemp's six letters and digits after the name and a dot.
    if (name.size() != stem.size() + 6 || name.compare(0, stem.size(), stem) != 0) continue;
    bool ours = true;
    for (size_t i = stem.size(); i < name.size(); ++i) {
      ours = ours && std::isalnum(static_cast<unsigned char>(name[i]));
    }
    if (ours) unlink((dir + "/" + name).c_str());
  }
  closedir(listing);
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
