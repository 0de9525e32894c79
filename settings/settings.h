#pragma once

#include <cstdint>
#include <string>

#include "render/geometry.h"
#include "settings/edition.h"

// The one record of user choices. The start-up values are the defaults a
// missing settings file leaves in place.
struct Settings {
  int32_t scale = 2;          // whole-number scale of everything drawn
  bool shadow = true;         // the drop shadow is shown
  bool show_alarm = false;    // alarm row shown and alarms go off
  bool hour24 = false;        // 24-hour time instead of 12-hour with AM/PM
  bool topmost = true;        // the character stays above ordinary windows
  bool move_lock = false;     // the character cannot be dragged
  bool show_date = true;      // the date row is shown
  bool in_tray = false;       // stored in the task tray
  int32_t sound = 0;          // alarm sound: 0 LAUGH, 1 OK, 2 file once, 3 file looped
  int32_t play_time = 0;      // index into 5, 10, 30, 60 s
  char sound_file[512] = {};  // the user's WAVE file
};

inline constexpr const char* kSettingsFileName = "KurimaroConf.dat";
inline constexpr ScreenPoint kDefaultPosition = {100, 100};

struct ConfFile;

// Fills the record from a parsed file with every clamp of the edition and
// returns the main window's start position, kept on the virtual screen.
ScreenPoint ApplySettings(Settings& settings, const ConfFile& conf, Edition edition,
                          const ScreenRect& screen);

// Reads the file at path; a file that cannot be opened leaves the record as it
// is and gives the default position.
ScreenPoint LoadSettings(Settings& settings, const char* path, Edition edition,
                         const ScreenRect& screen);

// The thirteen lines of the settings file, CR LF line ends, as written on disk.
std::string FormatSettings(const Settings& settings, int32_t pos_x, int32_t pos_y);

// Writes the file so that it is replaced whole or not at all.
bool SaveSettings(const Settings& settings, int32_t pos_x, int32_t pos_y, const char* path);

// The start directory, the system's separator and the name: how every file of the program
// is addressed. Never cut short, which would name another file.
std::string JoinStartDir(const char* start_dir, const char* file_name);
