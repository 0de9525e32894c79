// The resources each real program carries, read back from the .exe: bitmaps,
// sounds, icons, menu, version block and application manifest. Wine answers
// per-monitor aware for the windows with or without a manifest, so what the
// manifest says is checked here, not what the loader made of it.
#include "edition_test.h"

#include <string>
#include <vector>

using namespace e2e;

namespace {

class ResourcesTest : public EditionTest {
 protected:
  void SetUp() override {
    module_ = LoadAsData(edition());
    ASSERT_TRUE(module_);
  }
  void TearDown() override { FreeLibrary(module_); }

  std::string Bytes(const char* type, int id) const {
    HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(id), type);
    HGLOBAL data = found ? LoadResource(module_, found) : nullptr;
    if (!data) return "";
    return std::string(static_cast<const char*>(LockResource(data)), SizeofResource(module_, found));
  }
  size_t Size(const char* type, int id) const { return Bytes(type, id).size(); }

  HMODULE module_ = nullptr;
};

TEST_P(ResourcesTest, BitmapsSoundsIconsAndMenu) {
  // Packed DIBs: 40-byte header and 24-bit rows of 120, 600 and 168 bytes.
  EXPECT_EQ(Size(MAKEINTRESOURCEA(2), 101), 40u + 120u * 160u);
  EXPECT_EQ(Size(MAKEINTRESOURCEA(2), 102), 40u + 600u * 64u);
  EXPECT_EQ(Size(MAKEINTRESOURCEA(2), 103), 40u + 168u * 40u);
  EXPECT_EQ(Size("WAVE", 107), 64488u);
  EXPECT_EQ(Size("WAVE", 111), 58820u);
  EXPECT_NE(Size(MAKEINTRESOURCEA(14), 113), 0u);  // icon groups
  EXPECT_NE(Size(MAKEINTRESOURCEA(14), 114), 0u);
  EXPECT_TRUE(FindResourceExA(module_, MAKEINTRESOURCEA(4), "MENU",
                              MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)));
  HICON tray = static_cast<HICON>(
      LoadImageA(module_, MAKEINTRESOURCEA(114), IMAGE_ICON, 16, 16, 0));
  EXPECT_TRUE(tray);
  if (tray) DestroyIcon(tray);
}

// Little-endian numbers of the icon directories.
uint32_t Le(const BYTE* at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | at[i];
  return v;
}

// The image of that width in an .ico file, empty when there is none.
std::string IcoImage(const std::string& ico, int width) {
  const auto* b = reinterpret_cast<const BYTE*>(ico.data());
  if (ico.size() < 6) return {};
  for (uint32_t i = 0; i < Le(b + 4, 2) && 6 + 16 * (i + 1) <= ico.size(); ++i) {
    const BYTE* entry = b + 6 + 16 * i;
    const uint32_t size = Le(entry + 8, 4), offset = Le(entry + 12, 4);
    if (entry[0] == width && offset + size <= ico.size()) return ico.substr(offset, size);
  }
  return {};
}

// The shell asks for the small-icon size of the current DPI (16, 20, 24 or
// 32 pixels at 100 to 200 %); each must be there as drawn, for nothing to be
// scaled. The art's own tray.ico lies beside the driver.
TEST_P(ResourcesTest, TrayIconHoldsEverySmallIconSizeFromTheArt) {
  const std::string art = ReadFileBytes(JoinPath(DriverDir(), "tray.ico"));
  ASSERT_FALSE(art.empty());
  HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(114), MAKEINTRESOURCEA(14));
  ASSERT_TRUE(found);
  const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
  ASSERT_TRUE(group);
  ASSERT_GE(SizeofResource(module_, found), 6u);
  // GRPICONDIR: a count at 4, then 14-byte entries, the width first and the
  // image's resource id last.
  const uint32_t count = Le(group + 4, 2);
  ASSERT_EQ(SizeofResource(module_, found), 6 + 14 * count);
  std::vector<int> widths;
  for (uint32_t i = 0; i < count; ++i) {
    const BYTE* entry = group + 6 + 14 * i;
    const int width = entry[0];
    widths.push_back(width);
    SCOPED_TRACE(width);
    EXPECT_EQ(entry[1], width) << "not square";
    HRSRC image = FindResourceA(module_, MAKEINTRESOURCEA(Le(entry + 12, 2)), MAKEINTRESOURCEA(3));
    ASSERT_TRUE(image);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module_, image)));
    EXPECT_TRUE(std::string(bytes, SizeofResource(module_, image)) == IcoImage(art, width))
        << "not the art's image of this size";
  }
  EXPECT_EQ(widths, (std::vector<int>{16, 20, 24, 32}));
}

TEST_P(ResourcesTest, VersionBlockNamesTheEdition) {
  const std::string path = JoinPath(DriverDir(), edition().exe);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, &block[0]));
  char* name = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041104b0\\ProductName",
                             reinterpret_cast<void**>(&name), &length));
  EXPECT_STREQ(name, edition().title);
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), 2);
}

TEST_P(ResourcesTest, ManifestDeclaresDpiAwarenessWindowsVersionsAndCommonControls) {
  const std::string manifest = Bytes(MAKEINTRESOURCEA(24), 1);
  ASSERT_FALSE(manifest.empty()) << "no manifest resource 1";
  const char* wanted[] = {
      ">PerMonitorV2, PerMonitor</dpiAwareness>",
      ">true/pm</dpiAware>",
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // Windows 8
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
      "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
  };
  for (const char* text : wanted) EXPECT_NE(manifest.find(text), std::string::npos) << text;
}

E2E_FOR_BOTH_EDITIONS(ResourcesTest);

}  // namespace
