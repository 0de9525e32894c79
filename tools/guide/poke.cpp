// Small hands for the guide's screenshots under Wine: moves the cursor,
// posts a message to a program's window, or prints a window's rectangle.
//   poke cursor X Y
//   poke post CLASS MESSAGE WPARAM LPARAM     (numbers in C notation)
//   poke rect CLASS                           prints "W H X Y" of the visible window
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND FindVisible(const char* class_name) {
  for (int tries = 0; tries < 100; ++tries) {
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExA(nullptr, hwnd, class_name, nullptr)) != nullptr) {
      if (IsWindowVisible(hwnd)) return hwnd;
    }
    Sleep(50);
  }
  return nullptr;
}

unsigned long Number(const char* text) { return std::strtoul(text, nullptr, 0); }

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "cursor") == 0) {
    return SetCursorPos(std::atoi(argv[2]), std::atoi(argv[3])) ? 0 : 1;
  }
  if (argc == 6 && std::strcmp(argv[1], "post") == 0) {
    HWND hwnd = FindVisible(argv[2]);
    if (!hwnd) return 1;
    return PostMessageA(hwnd, static_cast<UINT>(Number(argv[3])), Number(argv[4]),
                        static_cast<LPARAM>(Number(argv[5]))) ? 0 : 1;
  }
  if (argc == 3 && std::strcmp(argv[1], "rect") == 0) {
    HWND hwnd = FindVisible(argv[2]);
    RECT r;
    if (!hwnd || !GetWindowRect(hwnd, &r)) return 1;
    std::printf("%ld %ld %ld %ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    return 0;
  }
  std::fprintf(stderr, "usage: poke cursor X Y | post CLASS MSG WPARAM LPARAM | rect CLASS\n");
  return 2;
}
