#pragma once

// What the mascot shows: window regions as sets of pixels, screenshots, and
// the picture the rendering core says belongs to a given moment.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "driver.h"
#include "render/paint.h"
#include "render/sprites.h"
#include "settings/settings.h"

namespace e2e {

// A set of window pixels: one byte per pixel of a width x height box, 1 = in.
struct PixelSet {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> in;
  bool Contains(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < height && in[y * width + x];
  }
};

// The window's region in window pixels, over the window's own size. False
// when the window has no region (it then shows its whole rectangle).
bool ReadRegion(HWND window, PixelSet& out);

// "" when equal, else how many pixels differ and where the first one is.
std::string Difference(const PixelSet& actual, const PixelSet& expected);

// A screenshot of a screen rectangle, 0x00RRGGBB pixels, top row first.
// Read with BitBlt from the screen's device context.
Surface Capture(const RECT& screen_rect);

// Everything that decides one paint of the main window.
struct Moment {
  Settings settings;                // viewscale, calendar, alerm, hour24
  std::vector<int32_t> alarms;      // seconds of the day, as in alerm.txt
  LocalTime time = {};
  POINT pointer = {};               // screen pixels
  POINT origin = {};                // the main window's top-left
  int32_t mode = 0;                 // behaviour mode
  int32_t pose = 0;                 // frame
};

// The settings a program reads from that file, as far as painting goes.
Settings SettingsOf(const Conf& conf);
// alerm.txt with one "HH:MM:SS" line per second of the day.
std::string AlarmFileText(const std::vector<int32_t>& alarms);

// The artwork of one edition's program, read from its own resources, and the
// rendering core's pictures and masks built from it.
class Artwork {
 public:
  explicit Artwork(const Edition& edition);
  ~Artwork();
  Artwork(const Artwork&) = delete;
  Artwork& operator=(const Artwork&) = delete;

  bool ok() const { return ok_; }
  // Frame k's window pixels at scale s.
  PixelSet Mask(int frame, int scale);
  // The picture the program paints at that moment, 88s x 80s.
  Surface Picture(const Moment& moment);

 private:
  HMODULE module_ = nullptr;
  Sprites sprites_;
  bool ok_ = false;
};

// A rectangle of window pixels at scale 1; every test scales it by s.
struct Box {
  int left, top, width, height;
};
inline constexpr Box kWholeWindow = {0, 0, kPictureWidth, kPictureHeight};
inline constexpr Box kAlarmRow = {1, 17, 53, 7};   // ALM tag and small digits
inline constexpr Box kLenses = {58, 28, 18, 8};    // both lenses with a margin

// "" when every pixel of the box that is also in inside is the same in both
// pictures (box scaled by scale), else a count and the first difference.
std::string PictureDifference(const Surface& shot, const Surface& expected,
                              const PixelSet& inside, int scale, Box box = kWholeWindow);

// Writes a picture as a 24-bit .bmp, to look at when a comparison fails.
void SaveBitmap(const std::string& path, const Surface& picture);

// Waits until the local clock stands between 350 and 650 ms into a second, so
// that the last paint and a screenshot taken now show that same second.
SYSTEMTIME WaitForMidSecond();
LocalTime ToLocalTime(const SYSTEMTIME& t);
int SecondOfDay(const SYSTEMTIME& t);
// "HH:MM:SS" of a second of the day, wrapped into one day.
std::string ClockText(int second_of_day);

}  // namespace e2e
