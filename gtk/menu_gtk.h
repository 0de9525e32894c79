#pragma once

#include <gtk/gtk.h>

#include <vector>

#include "shell/menu_state.h"
#include "shell/texts.h"

// What a chosen item calls, with its id and the data given, from the main
// loop once the menu that runs its own loop has closed.
using MenuChosen = void (*)(uint32_t id, void* data);

// The context menu built from the one menu description, with the items set
// as given.
GtkWidget* BuildContextMenu(const std::vector<MenuItemState>& items, Language language,
                            bool sensitive, MenuChosen chosen, void* data);

// Shows the menu at the pointer and returns once it has closed; a chosen
// command is then handled from the main loop, as a command that comes later.
// From the character the menu rises from the pointer to its right; from the
// tray icon to its left, away from the screen's edge. It stands in open
// while it runs its loop.
void RunContextMenu(const std::vector<MenuItemState>& items, Language language, bool from_tray,
                    MenuChosen chosen, void* data, std::vector<GtkWidget*>& open);
