// Which language the programs speak, from what each window system reports.
#include "shell/texts.h"

#include <gtest/gtest.h>

namespace {

TEST(TextsTest, JapaneseOnlyForAJapaneseLanguage) {
  const struct {
    uint16_t lang_id;
    Language want;
  } ids[] = {
      {0x0411, Language::Japanese},  // ja-JP
      {0x0011, Language::Japanese},  // Japanese, no sublanguage
      {0x0409, Language::English},   // en-US
      {0x0809, Language::English},   // en-GB
      {0x0804, Language::English},   // zh-CN
      {0x0412, Language::English},   // ko-KR
      {0x0000, Language::English},   // neutral
  };
  for (const auto& row : ids) {
    EXPECT_EQ(LanguageOfLangId(row.lang_id), row.want) << std::hex << row.lang_id;
  }

  const struct {
    const char* locale;
    Language want;
  } locales[] = {
      {"ja_JP.UTF-8", Language::Japanese}, {"ja_JP.eucJP", Language::Japanese},
      {"ja_JP", Language::Japanese},       {"ja", Language::Japanese},
      {"ja.UTF-8", Language::Japanese},    {"ja_JP@cjknarrow", Language::Japanese},
      {"en_US.UTF-8", Language::English},  {"de_DE.UTF-8", Language::English},
      {"C", Language::English},            {"C.UTF-8", Language::English},
      {"POSIX", Language::English},        {"", Language::English},
      {nullptr, Language::English},        {"jam_JM", Language::English},
  };
  for (const auto& row : locales) {
    EXPECT_EQ(LanguageOfLocale(row.locale), row.want) << (row.locale ? row.locale : "(none)");
  }
}

}  // namespace
