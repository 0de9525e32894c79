#include "behaviour/alarm_list.h"

#include <algorithm>

#include "behaviour/behaviour_platform.h"
#include "settings/atomic_file.h"

namespace {

void EndLine(AlarmLineReader& reader, std::vector<int32_t>& out) {
  if (reader.has_content) {
    // 32-bit arithmetic with no range limits: 7:90 is 08:30, and digit
    // strings too long for 32 bits wrap around.
    const uint32_t value = reader.fields[0] * 3600u + reader.fields[1] * 60u + reader.fields[2];
    out.push_back(static_cast<int32_t>(value));
  }
  reader.fields[0] = reader.fields[1] = reader.fields[2] = 0;
  reader.field = 0;
  reader.positions = 0;
  reader.has_content = false;
}

// Any byte but a line end takes a position, so "7: 30" reads as 7:30 and a full line
// ends at the same place whatever it holds.
void TakePosition(AlarmLineReader& reader, unsigned char c, std::vector<int32_t>& out) {
  if (c >= '0' && c <= '9') {
    if (reader.field < 3) {
      uint32_t& f = reader.fields[reader.field];
      f = f * 10u + static_cast<uint32_t>(c - '0');
    }
    reader.has_content = true;
  } else if (c == ':') {
    if (reader.field < 3) ++reader.field;
    reader.has_content = true;
  }
  if (++reader.positions == kAlarmLinePositions) EndLine(reader, out);
}

// Least significant byte first, one counting pass per byte of the key; a byte
// that is the same in every key (the top two, for real times of day) is skipped.
void RadixSort(std::vector<int32_t>& times) {
  const size_t n = times.size();
  std::vector<uint32_t> keys(n), scratch(n);
  for (size_t i = 0; i < n; ++i) keys[i] = static_cast<uint32_t>(times[i]) ^ 0x80000000u;
  for (int shift = 0; shift < 32; shift += 8) {
    size_t count[257] = {};
    for (uint32_t k : keys) ++count[((k >> shift) & 0xFFu) + 1];
    if (count[((keys[0] >> shift) & 0xFFu) + 1] == n) continue;
    for (int b = 0; b < 256; ++b) count[b + 1] += count[b];
    for (uint32_t k : keys) scratch[count[(k >> shift) & 0xFFu]++] = k;
    keys.swap(scratch);
  }
  for (size_t i = 0; i < n; ++i) times[i] = static_cast<int32_t>(keys[i] ^ 0x80000000u);
}

}  // namespace

void FeedAlarmBytes(AlarmLineReader& reader, const char* data, size_t size,
                    std::vector<int32_t>& out) {
  for (size_t i = 0; i < size && !reader.ended; ++i) {
    const unsigned char c = static_cast<unsigned char>(data[i]);
    // CR, LF and CR LF each end a line: old editors wrote CR alone.
    if (reader.pending_cr) {
      reader.pending_cr = false;
      if (c == '\n') continue;
    }
    if (c == 0x1A) {
      reader.ended = true;
    } else if (c == '\r') {
      EndLine(reader, out);
      reader.pending_cr = true;
    } else if (c == '\n') {
      EndLine(reader, out);
    } else {
      TakePosition(reader, c, out);
    }
  }
}

void FinishAlarmBytes(AlarmLineReader& reader, std::vector<int32_t>& out) {
  reader.pending_cr = false;
  EndLine(reader, out);
  reader.ended = true;
}

std::vector<int32_t> ParseAlarmText(std::string_view text) {
  std::vector<int32_t> out;
  AlarmLineReader reader;
  FeedAlarmBytes(reader, text.data(), text.size(), out);
  FinishAlarmBytes(reader, out);
  return out;
}

bool ReadAlarmLines(std::FILE* file, std::vector<int32_t>& out) {
  AlarmLineReader reader;
  char buffer[4096];
  for (;;) {
    const size_t got = std::fread(buffer, 1, sizeof buffer, file);
    FeedAlarmBytes(reader, buffer, got, out);
    if (reader.ended) break;
    if (got < sizeof buffer) {
      // The line cut short by an error is dropped: half a time would ring
      // at the wrong moment.
      if (std::ferror(file)) return false;
      if (std::feof(file)) break;
    }
  }
  FinishAlarmBytes(reader, out);
  return true;
}

void SortAlarmTimes(std::vector<int32_t>& times) {
  if (times.size() < 64) {
    std::sort(times.begin(), times.end());
  } else {
    RadixSort(times);
  }
}

bool LoadAlarmList(BehaviourState& state, const char* path, BehaviourPlatform& platform) {
  // Binary mode: the line ends are the reader's own, the same on every system.
  std::FILE* file = OpenFileForReading(path);
  if (!file) {
    // Locked or unreadable for now: the alarms already loaded stay, and since
    // the write time is not stored the watch tries again in a second.
    return false;
  }
  std::vector<int32_t> times;
  const bool complete = ReadAlarmLines(file, times);
  std::fclose(file);
  SortAlarmTimes(times);
  state.alarm_list.swap(times);
  // After a read error the time stays old, so the watch reads the file again.
  if (complete) state.alarm_file_stamp = platform.FileStamp(path);
  // Which alarms are done is kept by their times, so an entry the new list
  // keeps is neither rung again nor skipped.
  state.next_alarm = -1;
  return true;
}

void WatchAlarmFile(BehaviourState& state, const char* path, BehaviourPlatform& platform) {
  if (platform.FileStamp(path) > state.alarm_file_stamp) {
    LoadAlarmList(state, path, platform);
  }
}
