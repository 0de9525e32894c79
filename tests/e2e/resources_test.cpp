// The resources each real program carries, read back from the .exe.
#include <gtest/gtest.h>

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
