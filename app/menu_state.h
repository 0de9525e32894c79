#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/edition.h"
#include "settings/settings.h"

// One menu item as the context menu shows it: the label (UTF-8), its check
// mark and whether it is greyed.
struct MenuItemState {
  uint16_t id;
  std::string label;
  bool checked;
  bool grayed;
};

// The items rewritten before every showing of the context menu, in the order
// they are rewritten; items and headings not listed stay as loaded.
std::vector<MenuItemState> MenuState(const Settings& settings, Edition edition);
