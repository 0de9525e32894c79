// Ending the program from outside: closing the character window, and a
// log-off query to the shadow window.
#include <gtest/gtest.h>

#include "driver.h"

using namespace e2e;

namespace {

class ClosingTest : public ::testing::TestWithParam<const e2e::Edition*> {
 protected:
  const e2e::Edition& edition() const { return *GetParam(); }
};

TEST_P(ClosingTest, EndsTheProgramAndSavesWhereTheMascotStands) {
  struct Way {
    const char* name;
    bool to_main;   // else to the shadow window
    UINT message;
    bool once;      // the file is replaced exactly once
  };
  // A log-off writes the file when asked and again as the windows go.
  const Way ways[] = {{"close-main", true, WM_CLOSE, true},
                      {"log-off", false, WM_QUERYENDSESSION, false}};
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    const std::string dir = MakeWorkDir(std::string(edition().name) + "-" + way.name);
    Conf conf;
    conf.viewscale = 3;
    conf.hour24 = 1;
    conf.calendar = 0;
    conf.movelock = 1;
    conf.x = 200;
    conf.y = 150;
    WriteFileBytes(JoinPath(dir, kConfName), conf.Text());
    Running app = Launch(edition(), dir);
    ASSERT_TRUE(app.main && app.shadow);
    // Moved from outside, as a window manager would; the file must keep where it stands.
    SetWindowPos(app.main, nullptr, 321, 234, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(Send(app.main, WM_NULL, 0, 0));

    DirectoryWatch watch(dir);
    if (way.to_main) {
      PostMessageA(app.main, WM_CLOSE, 0, 0);
    } else {
      DWORD_PTR answer = 0;
      EXPECT_TRUE(SendMessageTimeoutA(app.shadow, way.message, 0, 0, SMTO_BLOCK, 10000, &answer));
      EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
      SendMessageTimeoutA(app.shadow, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 10000, &answer);
    }
    if (WaitForExit(app.process, 10000) != 0) {
      ADD_FAILURE() << "the program did not end with code 0";
      Kill(app.process);
    }
    Conf saved = conf;
    saved.x = 321;
    saved.y = 234;
    EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), saved.Text());
    EXPECT_EQ(ListDir(dir).size(), 1u) << "a temporary file was left behind";
    if (way.once) EXPECT_EQ(watch.Arrivals(kConfName, 300), 1) << "times the file was written";
  }
}

INSTANTIATE_TEST_SUITE_P(Editions, ClosingTest, ::testing::Values(&kFull, &kLite),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
