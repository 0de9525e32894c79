#pragma once

#include <windows.h>

#include <vector>

#include "shell/menu_state.h"
#include "shell/texts.h"

// The context menu resource "MENU" of the language, loaded afresh for every
// showing.
HMENU LoadContextMenu(HINSTANCE module, Language language);
// Rewrites the listed items by id with their labels as shown, in UTF-16 so
// that the Japanese reads right whatever the system's code page.
void ApplyMenuState(HMENU menu, const std::vector<MenuItemState>& items);
