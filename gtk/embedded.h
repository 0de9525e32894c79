#pragma once

#include <cstddef>

// Files of resources/ compiled into the program by the build.
struct EmbeddedFile {
  const unsigned char* data;
  std::size_t size;
};

extern const EmbeddedFile kGlyphAtlasBmp;
extern const EmbeddedFile kCharacterSheetBmp;
extern const EmbeddedFile kBubbleBmp;
extern const EmbeddedFile kWindowIco;
extern const EmbeddedFile kTrayIco;
extern const EmbeddedFile kOkWav;
extern const EmbeddedFile kLaughWav;
