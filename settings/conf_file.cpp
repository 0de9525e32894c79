#include "settings/conf_file.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cstdio>

#include "settings/atomic_file.h"

namespace {

// Drops blanks outside double quotes; the quotes themselves stay.
void RemoveBlanks(std::string& line) {
  bool quoted = false;
  size_t out = 0;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    else if (!quoted && (c == ' ' || c == '\t')) continue;
    line[out++] = c;
  }
  line.resize(out);
}

// A ';' after the '=' ends the value, but inside double quotes it is text so
// that a path holding one survives a save and a load.
size_t ValueEnd(const std::string& line, size_t begin) {
  bool quoted = false;
  for (size_t i = begin; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    else if (line[i] == ';' && !quoted) return i;
  }
  return line.size();
}

void ParseLine(ConfFile& conf, std::string& line) {
  RemoveBlanks(line);
  if (line.size() < 3) return;
  if (line[0] == '/' && line[1] == '/') return;
  const char type = line[0];
  if (type != '$' && type != '%' && type != '&') return;
  const size_t eq = line.find('=', 1);
  if (eq == std::string::npos) return;
  std::string name = line.substr(1, eq - 1);
  std::string value = line.substr(eq + 1, ValueEnd(line, eq + 1) - (eq + 1));
  switch (type) {
    case '$': conf.ints.emplace(std::move(name), ConfAtoi(value)); break;
    case '%': conf.reals.emplace(std::move(name), std::atof(value.c_str())); break;
    default: conf.strings.emplace(std::move(name), std::move(value)); break;
  }
}

// Reads text-mode lines: LF ends a line and a CR just before it is dropped.
template <typename NextChunk>
void ParseChunks(ConfFile& conf, NextChunk next_chunk) {
  conf.ints.clear();
  conf.reals.clear();
  conf.strings.clear();
  std::string line;
  std::string_view chunk;
  while (next_chunk(chunk)) {
    size_t pos = 0;
    while (pos < chunk.size()) {
      const void* hit = std::memchr(chunk.data() + pos, '\n', chunk.size() - pos);
      if (!hit) {
        line.append(chunk.data() + pos, chunk.size() - pos);
        break;
      }
      const size_t lf = static_cast<size_t>(static_cast<const char*>(hit) - chunk.data());
      line.append(chunk.data() + pos, lf - pos);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      ParseLine(conf, line);
      line.clear();
      pos = lf + 1;
    }
  }
  ParseLine(conf, line);
}

}  // namespace

int32_t ConfAtoi(std::string_view text) {
  size_t i = 0;
  // atoi skips leading white space; blanks are already gone, the rest of isspace is not.
  while (i < text.size() && (text[i] == '\n' || text[i] == '\v' || text[i] == '\f' || text[i] == '\r')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value >= limit) {
      value = limit;  // saturated; later digits cannot bring it back
    }
  }
  return static_cast<int32_t>(negative ? -value : value);
}

void ConfFile::Parse(std::string_view bytes) {
  bool given = false;
  ParseChunks(*this, [&](std::string_view& chunk) {
    if (given) return false;
    given = true;
    chunk = bytes;
    return true;
  });
}

void ConfFile::Parse(std::istream& in) {
  char buffer[64 * 1024];
  ParseChunks(*this, [&](std::string_view& chunk) {
    in.read(buffer, sizeof buffer);
    const std::streamsize got = in.gcount();
    if (got <= 0) return false;
    chunk = std::string_view(buffer, static_cast<size_t>(got));
    return true;
  });
}

bool ConfFile::Load(const char* path) {
  std::FILE* file = OpenFileForReading(path);
  if (!file) return false;
  char buffer[64 * 1024];
  ParseChunks(*this, [&](std::string_view& chunk) {
    const size_t got = std::fread(buffer, 1, sizeof buffer, file);
    if (got == 0) return false;
    chunk = std::string_view(buffer, got);
    return true;
  });
  std::fclose(file);
  return true;
}

int32_t ConfFile::GetInt(const std::string& name) const {
  auto it = ints.find(name);
  return it == ints.end() ? 0 : it->second;
}

size_t ConfFile::GetString(const std::string& name, char* buffer, size_t capacity) const {
  auto it = strings.find(name);
  if (capacity > 0) buffer[0] = '\0';
  if (it == strings.end()) return 0;
  if (capacity > 0) {
    const size_t n = std::min(it->second.size(), capacity - 1);
    std::memcpy(buffer, it->second.data(), n);
    buffer[n] = '\0';
  }
  return it->second.size();
}
