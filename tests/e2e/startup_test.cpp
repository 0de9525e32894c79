// Start-up, windows and single instance of the real programs.
#include <gtest/gtest.h>

#include "driver.h"

using namespace e2e;

namespace {

constexpr wchar_t kAlreadyRunning[] =
    L"Kurimaro\u3001\u3042\u308b\u3044\u306fKurimaroLite\u304c\u3059\u3067\u306b\u8d77\u52d5"
    L"\u3057\u3066\u3044\u307e\u3059";

class StartupTest : public ::testing::TestWithParam<const Edition*> {
 protected:
  const Edition& edition() const { return *GetParam(); }
  std::string Dir(const std::string& what) const { return MakeWorkDir(std::string(edition().name) + "-" + what); }
};

void ExpectRect(const RECT& r, int left, int top, int width, int height) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right - r.left, width);
  EXPECT_EQ(r.bottom - r.top, height);
}

TEST_P(StartupTest, DefaultStartMakesBothWindows) {
  const std::string dir = Dir("default");
  Running app = Launch(edition(), dir);
  ASSERT_TRUE(app.main) << "no main window";
  ASSERT_TRUE(app.shadow) << "no shadow window";

  const WindowInfo main = ReadWindow(app.main);
  const WindowInfo shadow = ReadWindow(app.shadow);
  EXPECT_EQ(main.title, edition().title);
  EXPECT_EQ(shadow.title, edition().title);
  EXPECT_EQ(main.owner, app.shadow);
  EXPECT_EQ(shadow.owner, nullptr);

  const LONG_PTR ex = edition().layered ? (WS_EX_LAYERED | WS_EX_TOOLWINDOW) : WS_EX_TOOLWINDOW;
  EXPECT_EQ(main.ex_style & (WS_EX_LAYERED | WS_EX_TOOLWINDOW), ex);
  EXPECT_EQ(shadow.ex_style & (WS_EX_LAYERED | WS_EX_TOOLWINDOW), ex);
  EXPECT_TRUE(main.style & WS_POPUP);
  EXPECT_FALSE(main.style & (WS_CAPTION | WS_THICKFRAME));

  // Default scale 2: 176 x 160 at (100, 100); the shadow 6 pixels off in the
  // full edition, on top of the character in the lite one (never shown there).
  ExpectRect(main.rect, 100, 100, 176, 160);
  const int offset = edition().layered ? 6 : 0;
  ExpectRect(shadow.rect, 100 + offset, 100 + offset, 176, 160);

  EXPECT_TRUE(main.visible);
  EXPECT_EQ(shadow.visible, edition().layered);
  if (edition().layered) {
    EXPECT_TRUE(main.has_alpha && main.alpha == 255);
    EXPECT_TRUE(shadow.has_alpha && shadow.alpha == 127);
  } else {
    EXPECT_FALSE(main.has_alpha);
  }
  EXPECT_EQ(CloseAndWait(app), 0);
}

TEST_P(StartupTest, ShadowShownOnlyWithShadowOnAndHideOff) {
  struct Case {
    const char* conf;
    bool main_visible;
    bool shadow_visible;  // full edition; the lite edition never shows it
  };
  const Case cases[] = {
      {"$shadow = 1\r\n$hide = 0\r\n", true, true},
      {"$shadow = 0\r\n$hide = 0\r\n", true, false},
      {"$shadow = 1\r\n$hide = 1\r\n", false, false},
      {"$shadow = 0\r\n$hide = 1\r\n", false, false},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.conf);
    const std::string dir = Dir("visibility" + std::to_string(index++));
    WriteFileBytes(JoinPath(dir, "KurimaroConf.dat"), c.conf);
    Running app = Launch(edition(), dir);
    ASSERT_TRUE(app.main && app.shadow);
    EXPECT_EQ(ReadWindow(app.main).visible, c.main_visible);
    EXPECT_EQ(ReadWindow(app.shadow).visible, c.shadow_visible && edition().layered);
    // Stored in the tray: the owner is minimised (Wine keeps the owned window
    // mapped without a window manager, so only the program's own state counts).
    if (!c.main_visible) EXPECT_TRUE(ReadWindow(app.shadow).iconic);
    EXPECT_EQ(CloseAndWait(app), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Editions, StartupTest, ::testing::Values(&kFull, &kLite),
                         [](const auto& info) { return std::string(info.param->name); });

// Every pairing of a running edition with a second start of either.
class SingleInstanceTest
    : public ::testing::TestWithParam<std::pair<const Edition*, const Edition*>> {};

TEST_P(SingleInstanceTest, SecondStartShowsBoxAndWritesNothing) {
  const Edition& first = *GetParam().first;
  const Edition& second = *GetParam().second;
  const std::string name = std::string(first.name) + "-then-" + second.name;
  const std::string dir1 = MakeWorkDir(name + "-1");
  const std::string dir2 = MakeWorkDir(name + "-2");

  Running app = Launch(first, dir1);
  ASSERT_TRUE(app.main);
  const RECT before = ReadWindow(app.main).rect;

  Process late = Start(second, dir2);
  HWND box = WaitForMessageBox(late, second.title, 15000);
  ASSERT_TRUE(box) << "no already-running box captioned " << second.title;
  EXPECT_EQ(MessageBoxText(box), kAlreadyRunning);
  PressOk(box);
  EXPECT_EQ(WaitForExit(late, 15000), 0);
  EXPECT_TRUE(ListDir(dir2).empty()) << "the refused start wrote a file";

  // The running copy is untouched.
  const WindowInfo after = ReadWindow(app.main);
  EXPECT_TRUE(after.visible);
  EXPECT_EQ(after.rect.left, before.left);
  EXPECT_TRUE(ListDir(dir1).empty());
  EXPECT_EQ(CloseAndWait(app), 0);
  EXPECT_TRUE(FileExists(JoinPath(dir1, "KurimaroConf.dat")));
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, SingleInstanceTest,
    ::testing::Values(std::make_pair(&kFull, &kFull), std::make_pair(&kFull, &kLite),
                      std::make_pair(&kLite, &kFull), std::make_pair(&kLite, &kLite)),
    [](const auto& info) {
      return std::string(info.param.first->name) + "Then" + info.param.second->name;
    });

}  // namespace
