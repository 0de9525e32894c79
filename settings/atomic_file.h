#pragma once

#include <string_view>

// Writes bytes to a temporary file beside path, flushes it to disk and only
// then puts it in the place of the old file. On any failure the old file stays
// whole and the temporary file is removed. Returns whether path now holds bytes.
bool WriteFileAtomically(const char* path, std::string_view bytes);
