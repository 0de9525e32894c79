#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <map>
#include <string>
#include <string_view>

// The parsed content of one settings-style file: typed entries by name.
// Names are byte strings compared byte by byte; the first line of a name wins.
struct ConfFile {
  std::map<std::string, int32_t> ints;        // "$name = 12"
  std::map<std::string, double> reals;        // "%name = 1.5"
  std::map<std::string, std::string> strings; // "&name = "text"", quotes kept

  ConfFile() = default;
  explicit ConfFile(const char* path) { Load(path); }

  // False when the file cannot be opened; the maps are then left as they were.
  bool Load(const char* path);
  // Replaces the maps with the entries of the given bytes or stream.
  void Parse(std::string_view bytes);
  void Parse(std::istream& in);

  int32_t GetInt(const std::string& name) const;
  // Copies at most capacity - 1 bytes and always terminates; returns the
  // length of the whole stored value, 0 when there is none.
  size_t GetString(const std::string& name, char* buffer, size_t capacity) const;
};

// The C library's atoi, except that values beyond 32 bits saturate as strtol does.
int32_t ConfAtoi(std::string_view text);
