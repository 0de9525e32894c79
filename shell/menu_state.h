#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/edition.h"
#include "settings/settings.h"
#include "shell/texts.h"

// One menu item as the context menu shows it: the label (UTF-8), its check
// mark and whether it is greyed.
struct MenuItemState {
  uint16_t id;
  std::string label;
  bool checked;
  bool grayed;
};

// The items of the context menu that are rewritten before every showing,
// top to bottom, labelled in the language; every other entry stays as
// described. Without a tray icon to come back by, storing in the tray is
// greyed; at_login ticks starting at login.
std::vector<MenuItemState> MenuState(const Settings& settings, Edition edition,
                                     Language language, bool tray, bool at_login = false);
