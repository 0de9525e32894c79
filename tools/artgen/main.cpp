// Turns the text-grid artwork into the bitmaps and icons of the program.
#include <cstdio>
#include <string>

#include "art.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: artgen ART_DIR OUT_DIR\n");
    return 2;
  }
  std::string error;
  if (!artgen::Generate(argv[1], argv[2], error)) {
    std::fprintf(stderr, "artgen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
