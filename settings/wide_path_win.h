#pragma once

#include <string>

// UTF-8 text to UTF-16 and back, for the Windows halves' wide calls. Bytes
// that are not UTF-8 become U+FFFD, so a broken path names no other file.
std::wstring WidePath(const char* utf8);
std::string Utf8Path(const wchar_t* wide);
