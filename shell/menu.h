#pragma once

// The context menu, described once for every window system: its submenus,
// items, ids, labels and separators, top to bottom. The Win32 programs carry
// the same menu as a resource (a test holds the two together); another
// system builds its menu from this list. The resource holds the menu once per
// language, and the Japanese one stores a few labels that are mended before
// showing.

#include <cstdint>
#include <vector>

#include "shell/texts.h"

enum class MenuKind { Item, Popup, Separator };

// How an item shows its state: plainly, with a check of its own, or as one
// of a set of choices of which exactly one is taken. The choices of one
// popup are its one set; a system with radio items shows them so.
enum class MenuMark { None, Check, Choice };

struct MenuEntry {
  int depth;          // 0: the shown menu's own entries; a popup's follow one deeper
  MenuKind kind;
  uint16_t id;        // the command of an item; 0 for popups and separators
  const char* japanese;  // UTF-8 labels as stored; "" for separators
  const char* english;
  bool rewritten;     // label, check and grey are set from the settings before every showing
  MenuMark mark;      // how its check shows

  const char* Label(Language language) const {
    return language == Language::Japanese ? japanese : english;
  }
};

// The shown menu, top to bottom; a popup's entries follow it.
const std::vector<MenuEntry>& ContextMenu();
