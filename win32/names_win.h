#pragma once

#include "settings/edition.h"
#include "shell/built_edition.h"

// Names and texts of the two editions. The class names cross over between
// the editions on purpose; they are used exactly as they stand.
struct EditionNames {
  const char* title;         // both windows' title
  const wchar_t* caption;    // the same, for the boxes' wide captions
  const char* main_class;    // class of the character window
  const char* shadow_class;  // class of the shadow window
};

inline constexpr EditionNames kNames = kEdition == Edition::Lite
    ? EditionNames{"KurimaroLite", L"KurimaroLite", "Kurimaro", "Kurimaro_Shadow"}
    : EditionNames{"Kurimaro", L"Kurimaro", "KurimaroLite", "Kurimaro_Shadow"};

inline constexpr const char* kInstanceLockName = "Kurimaro";
