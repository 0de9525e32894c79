#pragma once

#include <gtk/gtk.h>

#include <vector>

#include "shell/menu_state.h"
#include "shell/texts.h"

// The context menu built from the one menu description, with the items set
// as given; choosing an item calls chosen with its id.
GtkWidget* BuildContextMenu(const std::vector<MenuItemState>& items, Language language,
                            bool sensitive);

// Shows the menu at the pointer and returns once it has closed; a chosen
// command is then handled from the main loop, as a command that comes later.
// From the character the menu rises from the pointer to its right; from the
// tray icon to its left, away from the screen's edge.
void RunContextMenu(const std::vector<MenuItemState>& items, Language language, bool from_tray);
