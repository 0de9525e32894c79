#include "win32/language_win.h"

#include <windows.h>

// The interface language, not the locale of formats: a Japanese user with
// Western number formats still reads Japanese menus.
Language UserLanguage() { return LanguageOfLangId(GetUserDefaultUILanguage()); }
