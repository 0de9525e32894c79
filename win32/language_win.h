#pragma once

#include "shell/texts.h"

// The user's interface language as Windows reports it; the texts for it come
// from the portable table.
Language UserLanguage();
