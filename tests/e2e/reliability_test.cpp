// Many starts at the same moment, as an impatient double click on both
// programs' icons makes them: exactly one copy runs.
#include <cstdio>

#include "edition_test.h"

using namespace e2e;

namespace {

TEST(ReliabilityTest, TwentyStartsAtOnceLeaveOneRunning) {
  constexpr int kStarts = 20;
  std::vector<const Program*> editions;
  std::vector<std::string> dirs;
  for (int i = 0; i < kStarts; ++i) {
    editions.push_back(i % 3 ? &kFull : &kLite);
    dirs.push_back(TestDir(std::to_string(i)));
  }
  const DWORD start = GetTickCount();
  std::vector<Process> processes = StartTogether(editions, dirs);
  ASSERT_EQ(processes.size(), static_cast<size_t>(kStarts));

  // Each start ends up either running (its character window) or refused (its
  // already-running box).
  std::vector<HWND> boxes(kStarts, nullptr);
  std::vector<HWND> mains(kStarts, nullptr);
  const bool settled = WaitUntil([&] {
    int done = 0;
    for (int i = 0; i < kStarts; ++i) {
      const Process& p = processes[i];
      if (!boxes[i]) boxes[i] = WaitForDialog(p, editions[i]->title, 0);
      if (!mains[i]) mains[i] = WaitForWindow(p, editions[i]->main_class, 0);
      done += boxes[i] || mains[i];
    }
    return done == kStarts;
  }, 45000);
  const DWORD settle_ms = GetTickCount() - start;
  int running = 0;
  int refused = 0;
  for (int i = 0; i < kStarts; ++i) {
    running += mains[i] != nullptr;
    refused += boxes[i] != nullptr;
  }
  std::printf("%d starts settled in %lu ms: %d running, %d refused\n", kStarts, settle_ms,
              running, refused);
  EXPECT_TRUE(settled);
  EXPECT_EQ(running, 1);
  EXPECT_EQ(refused, kStarts - 1);

  for (int i = 0; i < kStarts; ++i) {
    if (!boxes[i]) continue;
    SCOPED_TRACE("start " + std::to_string(i));
    EXPECT_EQ(MessageBoxText(boxes[i]), AlreadyRunningText());
    EXPECT_TRUE(AnswerDialog(boxes[i], IDOK));
  }
  for (int i = 0; i < kStarts; ++i) {
    if (!boxes[i]) continue;
    SCOPED_TRACE("start " + std::to_string(i));
    EXPECT_EQ(WaitForExit(processes[i], 15000), 0);
    EXPECT_TRUE(ListDir(dirs[i]).empty()) << "a refused start wrote a file";
  }
  for (int i = 0; i < kStarts; ++i) {
    if (!mains[i]) continue;
    Running winner = Attach(processes[i], *editions[i]);
    EXPECT_EQ(CloseAndWait(winner), 0);
    EXPECT_TRUE(FileExists(JoinPath(dirs[i], kConfName)));
  }
}

}  // namespace
