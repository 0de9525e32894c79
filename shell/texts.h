#pragma once

// Every text the user reads, in the two languages the programs speak, for
// every window system. Japanese for a Japanese desktop, English for any other.

#include <cstdint>
#include <string>

enum class Language { Japanese, English };

// From a Windows language id (LANGID): its primary language decides.
Language LanguageOfLangId(uint16_t lang_id);
// From a POSIX locale name as in LC_ALL, LC_MESSAGES or LANG ("ja_JP.UTF-8",
// "en_GB", "C"); an empty or missing name is the C locale.
Language LanguageOfLocale(const char* name);

enum class Text {
  AlreadyRunning,  // the box a second start shows
  WaveFileTitle,   // the open-file dialog's title
  AlarmMode,       // menu labels set before every showing
  StoreInTray,
  TakeOutOfTray,
  WaveFileLoop,
};

// UTF-8.
const char* TextOf(Text text, Language language);
// The about box: the edition's name and the build's version; the same in
// both languages.
std::string AboutText(const std::string& name, const std::string& version);
