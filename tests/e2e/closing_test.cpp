// Ending the program: Exit from either menu, closing the character window,
// and a log-off query to the shadow window.
#include "edition_test.h"

using namespace e2e;

namespace {

class ClosingTest : public EditionTest {};

TEST_P(ClosingTest, EndsTheProgramAndSavesWhereTheMascotStands) {
  struct Way {
    const char* name;
    bool to_main;   // else to the shadow window
    UINT message;
    WPARAM wparam;
    int writes;     // times the file is put in place; 0: not counted
  };
  // A log-off writes the file when asked and again as the windows go; a
  // finished write renames a temporary file over it.
  const Way ways[] = {{"exit-character-menu", true, WM_COMMAND, kExit, 1},
                      {"exit-tray-menu", false, WM_COMMAND, kExit, 1},
                      {"close-main", true, WM_CLOSE, 0, 1},
                      {"log-off", false, WM_QUERYENDSESSION, 0, 0}};
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    const std::string dir = TestDir(way.name);
    Conf conf;
    conf.viewscale = 3;
    conf.hour24 = 1;
    conf.calendar = 0;
    conf.movelock = 1;
    conf.x = 200;
    conf.y = 150;
    Running app = Launch(edition(), dir, conf);
    ASSERT_TRUE(app.main && app.shadow);
    // Moved from outside, as a window manager would; the file must keep where it stands.
    SetWindowPos(app.main, nullptr, 321, 234, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(Send(app.main, WM_NULL));

    DirectoryWatch watch(dir);
    HWND target = way.to_main ? app.main : app.shadow;
    if (way.message == WM_QUERYENDSESSION) {
      DWORD_PTR answer = 0;
      EXPECT_TRUE(Send(target, way.message, 0, 0, 10000, &answer));
      EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
      Send(target, WM_ENDSESSION, TRUE, 0, 10000);
    } else {
      Post(target, way.message, way.wparam);
    }
    EXPECT_EQ(WaitForExit(app.process, 10000), 0);
    Conf saved = conf;
    saved.x = 321;
    saved.y = 234;
    EXPECT_EQ(ReadFileBytes(JoinPath(dir, kConfName)), saved.Text());
    // The settings, and the alarm file the first start made.
    EXPECT_EQ(ListDir(dir).size(), 2u) << "a temporary file was left behind";
    if (way.writes) EXPECT_EQ(watch.Arrivals(kConfName, 500), way.writes) << "times the file was written";
  }
}

E2E_FOR_BOTH_EDITIONS(ClosingTest);

}  // namespace
