#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "behaviour/behaviour_state.h"

struct BehaviourPlatform;

inline constexpr const char* kAlarmFileName = "alerm.txt";

// A line holds at most this many bytes; a longer one goes on as the next line.
inline constexpr int kAlarmLinePositions = 99;

// Reads alarm lines from bytes as they arrive: CR LF, LF and CR alone each
// end a line, and 0x1A ends the file. Needs no line buffer, since
// only the three numbers of a line are kept.
struct AlarmLineReader {
  uint32_t fields[3] = {0, 0, 0};  // hours, minutes, seconds so far (wrapping)
  int field = 0;                   // colons seen on this line
  int positions = 0;               // bytes this line has taken
  bool has_content = false;        // a digit or colon seen on this line
  bool pending_cr = false;         // a CR ended the line: an LF next is part of it
  bool ended = false;              // 0x1A seen
};

// Appends the value of every line completed by these bytes, in file order.
void FeedAlarmBytes(AlarmLineReader& reader, const char* data, size_t size,
                    std::vector<int32_t>& out);

// The end of the file also ends the last line.
void FinishAlarmBytes(AlarmLineReader& reader, std::vector<int32_t>& out);

// Every alarm of a whole text, in file order.
std::vector<int32_t> ParseAlarmText(std::string_view text);

// Reads the stream to its end. On a read error it stops and returns false;
// the lines completed before the error stay in out.
bool ReadAlarmLines(std::FILE* file, std::vector<int32_t>& out);

// Ascending, duplicates kept, in time linear in the count.
void SortAlarmTimes(std::vector<int32_t>& times);

// Reads the file into state.alarm_list; the next paint chooses the alarm row afresh.
// A file that cannot be opened keeps the list it had; returns whether it opened.
bool LoadAlarmList(BehaviourState& state, const char* path, BehaviourPlatform& platform);

// Reloads the list when the file's last-write time has moved forward.
void WatchAlarmFile(BehaviourState& state, const char* path, BehaviourPlatform& platform);
