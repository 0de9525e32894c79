// The resources each real program carries, read back from the .exe.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver.h"

using namespace e2e;

namespace {

class ResourcesTest : public ::testing::TestWithParam<const Edition*> {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExA(JoinPath(DriverDir(), GetParam()->exe).c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module_);
  }
  void TearDown() override { FreeLibrary(module_); }

  DWORD Size(const char* type, int id) const {
    HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(id), type);
    return found ? SizeofResource(module_, found) : 0;
  }

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
  const std::string path = JoinPath(DriverDir(), GetParam()->exe);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, &block[0]));
  char* name = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041104b0\\ProductName",
                             reinterpret_cast<void**>(&name), &length));
  EXPECT_STREQ(name, GetParam()->title);
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), 2);
}

INSTANTIATE_TEST_SUITE_P(Editions, ResourcesTest, ::testing::Values(&kFull, &kLite),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
