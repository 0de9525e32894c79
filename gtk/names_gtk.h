#pragma once

#include "settings/edition.h"
#include "shell/built_edition.h"

// Names of the two editions: the title of both windows and the X class of
// the character, which window-manager rules match.
struct EditionNames {
  const char* title;
  const char* res_name;
  const char* res_class;
};

inline constexpr EditionNames kNames = kEdition == Edition::Lite
    ? EditionNames{"KurimaroLite", "kurimaro-lite", "KurimaroLite"}
    : EditionNames{"Kurimaro", "kurimaro", "Kurimaro"};
