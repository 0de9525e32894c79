// The application manifest of each real program, read back from the .exe.
// Wine answers per-monitor aware for the windows with or without it, so what
// the manifest says is checked here, not what the loader made of it.
#include <gtest/gtest.h>

#include "driver.h"

using namespace e2e;

namespace {

class ManifestTest : public ::testing::TestWithParam<const Edition*> {};

std::string ReadManifest(const std::string& exe) {
  HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return "";
  std::string text;
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  HGLOBAL data = found ? LoadResource(module, found) : nullptr;
  if (data) text.assign(static_cast<const char*>(LockResource(data)), SizeofResource(module, found));
  FreeLibrary(module);
  return text;
}

TEST_P(ManifestTest, DeclaresDpiAwarenessWindowsVersionsAndCommonControls) {
  const std::string manifest = ReadManifest(JoinPath(DriverDir(), GetParam()->exe));
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

INSTANTIATE_TEST_SUITE_P(Editions, ManifestTest, ::testing::Values(&kFull, &kLite),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
