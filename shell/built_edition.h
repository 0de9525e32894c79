#pragma once

#include "settings/edition.h"

// The edition a program is built as; only the platform halves, compiled once
// per program, include this (the libraries serve both).
#ifdef KURIMARO_LITE
inline constexpr Edition kEdition = Edition::Lite;
#else
inline constexpr Edition kEdition = Edition::Full;
#endif
