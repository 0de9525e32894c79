#pragma once

#include <cstdint>
#include <string>

#include "settings/edition.h"

// The one record of user choices. The start-up values are the defaults a
// missing settings file leaves in place.
struct Settings {
  int32_t viewscale = 2;    // whole-number scale of everything drawn
  bool shadow = true;       // the drop-shadow window is shown
  bool alerm = false;       // alarm row shown and alarms go off
  bool hour24 = false;      // 24-hour time instead of 12-hour with AM/PM
  bool topmost = true;      // both windows stay above ordinary windows
  bool movelock = false;    // the character cannot be dragged
  bool calendar = true;     // the date row is shown
  bool hide = false;        // stored in the task tray
  int32_t sd = 0;           // alarm sound: 0 LAUGH, 1 OK, 2 file once, 3 file looped
  int32_t al_time = 0;      // play time index into 5, 10, 30, 60 s
  char sd_file[512] = {};   // the user's WAVE file
};

struct StartPosition {
  int32_t x;
  int32_t y;
};

// The virtual screen: with a monitor left of or above the main one, left and
// top are negative.
struct ScreenRect {
  int32_t left;
  int32_t top;
  int32_t width;
  int32_t height;
};

inline constexpr const char* kSettingsFileName = "KurimaroConf.dat";
inline constexpr StartPosition kDefaultPosition = {100, 100};

struct ConfFile;

// Fills the record from a parsed file with every clamp of the edition and
// returns the main window's start position, kept on the virtual screen.
StartPosition ApplySettings(Settings& settings, const ConfFile& conf, Edition edition,
                            const ScreenRect& screen);

// Reads the file at path; a file that cannot be opened leaves the record as it
// is and gives the default position.
StartPosition LoadSettings(Settings& settings, const char* path, Edition edition,
                           const ScreenRect& screen);

// The thirteen lines of the settings file, CR LF line ends, as written on disk.
std::string FormatSettings(const Settings& settings, int32_t pos_x, int32_t pos_y);

// Writes the file so that it is replaced whole or not at all.
bool SaveSettings(const Settings& settings, int32_t pos_x, int32_t pos_y, const char* path);

// The start directory, the system's separator and the name: how every file of the program
// is addressed. Never cut short, which would name another file.
std::string JoinStartDir(const char* start_dir, const char* file_name);
