#include "behaviour/alarm_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "behaviour_fake.h"

namespace {

constexpr int32_t H = 3600;
constexpr int32_t M = 60;

struct TextCase {
  std::string text;
  std::vector<int32_t> values;  // in file order
};

TEST(AlarmListTest, EachLineGivesHoursMinutesSeconds) {
  const TextCase cases[] = {
      {"6:30", {6 * H + 30 * M}},
      {"18:45:30", {18 * H + 45 * M + 30}},
      {"7", {7 * H}},
      {"7:5", {7 * H + 5 * M}},
      {":30", {30 * M}},
      {"7::30", {7 * H + 30}},
      {"1:2:3:4", {1 * H + 2 * M + 3}},
      {"7:90", {8 * H + 30 * M}},
      {"24:00", {24 * H}},
      {":", {0}},
      {"007:000:005", {7 * H + 5}},
      // Bytes outside the grammar are dropped, so what surrounds them joins up.
      {"7: 30", {7 * H + 30 * M}},
      {"\t7:30 # wake", {7 * H + 30 * M}},
      {"7h30", {730 * H}},
      {"7\xEF\xBC\x9A" "30", {730 * H}},  // a full-width colon is no colon
      {"7\r30", {7 * H, 30 * H}},            // a CR alone ends the line
      {std::string("7\0:30", 5), {7 * H + 30 * M}},
      // 32-bit arithmetic: 1193047 h is 2^32 + 1904 s, 596524 h passes 2^31.
      {"1193047", {1904}},
      {"596524", {-2147480896}},
      {"4294967296:1", {60}},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(ParseAlarmText(c.text), c.values) << c.text;
  }
}

TEST(AlarmListTest, LinesOfAFile) {
  const TextCase cases[] = {
      {"", {}},
      {"\n\n\n", {}},
      {"no alarm here\n#\n", {}},
      {"12:00\n6:30\n18:45:30", {12 * H, 6 * H + 30 * M, 18 * H + 45 * M + 30}},
      {"7\n\n8\n", {7 * H, 8 * H}},
      {"7\r\n8\r\n", {7 * H, 8 * H}},
      {"7\r\r\n8", {7 * H, 8 * H}},
      {"7\n7\n", {7 * H, 7 * H}},
      {"7\x1A\n8\n", {7 * H}},
      {"7\n\x1A" "8\n", {7 * H}},
      {std::string("7\n\0\n8", 5), {7 * H, 8 * H}},
      {"7\r", {7 * H}},
      {"7\r8\r9", {7 * H, 8 * H, 9 * H}},  // an old editor's line ends
      {"7\n\r8\r\r9\r\n", {7 * H, 8 * H, 9 * H}},
      {"7\r\x1A" "8\r", {7 * H}},
      // A line ends at its 99th position and the rest reads as the next line.
      {"1:2:3:" + std::string(93, '0') + std::string(48, '0') + "5:6",
       {1 * H + 2 * M + 3, 5 * H + 6 * M}},
      {std::string(99, ' ') + "7", {7 * H}},
      {std::string(98, ' ') + "7:30", {7 * H, 30 * M}},
      {std::string(99, '0') + "\n5", {0, 5 * H}},
      {std::string(98, ' ') + "\r\n5", {5 * H}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(ParseAlarmText(cases[i].text), cases[i].values) << "case " << i;
  }
}

TEST(AlarmListTest, SortKeepsDuplicatesAtEverySize) {
  std::mt19937 rng(3);
  for (size_t size : {0u, 1u, 2u, 63u, 64u, 65u, 1000u, 70000u}) {
    for (uint32_t spread : {4u, 86400u, 0xFFFFFFFFu}) {
      std::vector<int32_t> times(size);
      for (int32_t& t : times) t = static_cast<int32_t>(rng() % spread);
      std::vector<int32_t> expected = times;
      std::sort(expected.begin(), expected.end());
      SortAlarmTimes(times);
      EXPECT_EQ(times, expected) << size << " " << spread;
    }
  }
}

// A real file in a fresh directory, its write time set through the fake.
class AlarmFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("kurimaro_alarm_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "alerm.txt").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void Write(const std::string& text, uint64_t time) {
    std::ofstream(path_, std::ios::binary) << text;
    fake_.file_stamps[path_] = time;
  }
  void Remove() {
    std::filesystem::remove(path_);
    fake_.file_stamps.erase(path_);
  }

  std::filesystem::path dir_;
  std::string path_;
  FakePlatform fake_;
  BehaviourState state_;
};

constexpr uint64_t kMonday = 133620000000000000;
constexpr uint64_t kMondayLater = kMonday + 1;

TEST_F(AlarmFileTest, LoadSortsStoresTheTimeAndLetsThePaintChooseAgain) {
  Write("12:00\n6:30\n18:45:30\n6:30\n", kMonday);
  state_.next_alarm = 100;
  EXPECT_TRUE(LoadAlarmList(state_, path_.c_str(), fake_));
  EXPECT_EQ(state_.alarm_list,
            (std::vector<int32_t>{6 * H + 30 * M, 6 * H + 30 * M, 12 * H, 18 * H + 45 * M + 30}));
  EXPECT_EQ(state_.alarm_file_stamp, kMonday);
  EXPECT_EQ(state_.next_alarm, -1);

  Write("", kMondayLater);  // an empty file: no alarms, yet its time is stored
  EXPECT_TRUE(LoadAlarmList(state_, path_.c_str(), fake_));
  EXPECT_TRUE(state_.alarm_list.empty());
  EXPECT_EQ(state_.alarm_file_stamp, kMondayLater);
}

TEST_F(AlarmFileTest, WatchReloadsOnlyWhenTheTimeMovesForward) {
  Write("7\n", kMonday);
  WatchAlarmFile(state_, path_.c_str(), fake_);  // none before: loads
  ASSERT_EQ(state_.alarm_list, std::vector<int32_t>{7 * H});

  Write("8\n", kMonday);  // same time: not read
  WatchAlarmFile(state_, path_.c_str(), fake_);
  EXPECT_EQ(state_.alarm_list, std::vector<int32_t>{7 * H});

  Write("9\n", kMonday - 1);  // an older copy put in its place
  WatchAlarmFile(state_, path_.c_str(), fake_);
  EXPECT_EQ(state_.alarm_list, std::vector<int32_t>{7 * H});

  Remove();  // a missing file has no stamp: the list stays
  WatchAlarmFile(state_, path_.c_str(), fake_);
  EXPECT_EQ(state_.alarm_list, std::vector<int32_t>{7 * H});

  Write("10\n", kMondayLater);
  WatchAlarmFile(state_, path_.c_str(), fake_);
  EXPECT_EQ(state_.alarm_list, std::vector<int32_t>{10 * H});
}

TEST_F(AlarmFileTest, FileThatCannotBeOpenedKeepsTheListAndIsTriedAgain) {
  EXPECT_FALSE(LoadAlarmList(state_, path_.c_str(), fake_));  // absent at start-up
  EXPECT_TRUE(state_.alarm_list.empty());

  Write("7\n", kMonday);
  ASSERT_TRUE(LoadAlarmList(state_, path_.c_str(), fake_));
  // Still found by the search but not readable (an editor holding it locked),
  // or no file at all: a directory, a FIFO that would wait for a writer.
  const std::function<void()> unreadable[] = {
      [&] { std::filesystem::remove(path_); },
      [&] { std::filesystem::create_directory(path_); },
      [&] { ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0); },
  };
  for (const auto& make : unreadable) {
    std::filesystem::remove_all(path_);
    make();
    fake_.file_stamps[path_] = kMondayLater;
    WatchAlarmFile(state_, path_.c_str(), fake_);
    EXPECT_EQ(state_.alarm_list, std::vector<int32_t>{7 * H});
    EXPECT_EQ(state_.alarm_file_stamp, kMonday);  // so the next watch tries again
  }
  std::filesystem::remove_all(path_);

  Write("8\n", kMondayLater);
  WatchAlarmFile(state_, path_.c_str(), fake_);
  EXPECT_EQ(state_.alarm_list, std::vector<int32_t>{8 * H});
}

// A stream that gives some bytes and then fails, as a disk that goes away does.
struct FailingSource {
  std::string bytes;
  size_t pos = 0;
};

ssize_t ReadThenFail(void* cookie, char* buf, size_t size) {
  FailingSource& source = *static_cast<FailingSource*>(cookie);
  if (source.pos == source.bytes.size()) {
    errno = EIO;
    return -1;
  }
  const size_t n = std::min(size, source.bytes.size() - source.pos);
  std::memcpy(buf, source.bytes.data() + source.pos, n);
  source.pos += n;
  return static_cast<ssize_t>(n);
}

TEST(AlarmReadErrorTest, LinesBeforeTheErrorCountAndTheCutLineDoesNot) {
  FailingSource source{"6:00\n7:00\n8:3", 0};
  cookie_io_functions_t io{ReadThenFail, nullptr, nullptr, nullptr};
  std::FILE* file = fopencookie(&source, "r", io);
  ASSERT_NE(file, nullptr);
  std::vector<int32_t> out;
  EXPECT_FALSE(ReadAlarmLines(file, out));
  std::fclose(file);
  EXPECT_EQ(out, (std::vector<int32_t>{6 * H, 7 * H}));
}

TEST_F(AlarmFileTest, ReadErrorReplacesTheListButLeavesTheTimeForARetry) {
  Write("7\n", kMonday);
  ASSERT_TRUE(LoadAlarmList(state_, path_.c_str(), fake_));
  // A regular file whose every read fails: this process's memory, unmapped at 0.
  const char* failing = "/proc/self/mem";
  fake_.file_stamps[failing] = kMondayLater;
  WatchAlarmFile(state_, failing, fake_);
  EXPECT_TRUE(state_.alarm_list.empty());
  EXPECT_LE(state_.alarm_file_stamp, kMonday);
}

TEST_F(AlarmFileTest, HugeFilesReadAsTheGrammarSays) {
  // One line of 10 MB: every 99 bytes make an alarm.
  const size_t size = 10u << 20;
  Write(std::string(size, '1'), kMonday);
  ASSERT_TRUE(LoadAlarmList(state_, path_.c_str(), fake_));
  EXPECT_EQ(state_.alarm_list.size(), (size + 98) / 99);

  std::string lines;
  for (int i = 0; i < 1000000; ++i) lines += std::to_string(i % 24) + ":" + std::to_string(i % 60) + "\n";
  Write(lines, kMondayLater);
  ASSERT_TRUE(LoadAlarmList(state_, path_.c_str(), fake_));
  ASSERT_EQ(state_.alarm_list.size(), 1000000u);
  EXPECT_TRUE(std::is_sorted(state_.alarm_list.begin(), state_.alarm_list.end()));
  EXPECT_EQ(state_.alarm_list.front(), 0);
  EXPECT_EQ(state_.alarm_list.back(), 23 * H + 59 * M);
}

}  // namespace
