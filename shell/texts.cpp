#include "shell/texts.h"

#include <cstring>

namespace {

constexpr uint16_t kLangJapanese = 0x11;  // PRIMARYLANGID of ja-JP (0x0411)

struct TextRow {
  Text text;
  const char* japanese;
  const char* english;
};

// In the order of the enum.
constexpr TextRow kTexts[] = {
    {Text::AlreadyRunning, "Kurimaro、あるいはKurimaroLiteがすでに起動しています",
     "Kurimaro or KurimaroLite is already running."},
    {Text::WaveFileTitle, "WAVEファイルを開く", "Open WAVE file"},
    {Text::AlarmMode, "アラームモード", "Alarm mode"},
    {Text::StoreInTray, "タスクトレイに格納", "Hide in tray"},
    {Text::TakeOutOfTray, "タスクトレイから出す", "Restore from tray"},
    {Text::WaveFileLoop, "WAVEファイル(LOOP)", "WAVE file (loop)..."},
};

}  // namespace

Language LanguageOfLangId(uint16_t lang_id) {
  return (lang_id & 0x3FF) == kLangJapanese ? Language::Japanese : Language::English;
}

Language LanguageOfLocale(const char* name) {
  // "ja", "ja_JP", "ja_JP.UTF-8", "ja_JP@modifier"; not "jam".
  if (name && std::strncmp(name, "ja", 2) == 0 &&
      (name[2] == '\0' || std::strchr("_.@", name[2]) != nullptr)) {
    return Language::Japanese;
  }
  return Language::English;
}

const char* TextOf(Text text, Language language) {
  const TextRow& row = kTexts[static_cast<int>(text)];
  return language == Language::Japanese ? row.japanese : row.english;
}

std::string AboutText(const std::string& name, const std::string& version) {
  return name + " ver " + version + ".J\n\nCopyright (C) 2026 the Kurimaro authors";
}
