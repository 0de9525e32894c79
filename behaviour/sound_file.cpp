#include "behaviour/sound_file.h"

#include <cstdio>
#include <cstring>

#include "settings/atomic_file.h"

bool PlayableWaveFile(const char* path) {
  if (!path || !path[0]) return false;
  std::FILE* file = OpenNativePathForReading(path);
  if (!file) return false;
  unsigned char head[12];
  const size_t got = std::fread(head, 1, sizeof head, file);
  std::fclose(file);
  return got == sizeof head && std::memcmp(head, "RIFF", 4) == 0 &&
         std::memcmp(head + 8, "WAVE", 4) == 0;
}
