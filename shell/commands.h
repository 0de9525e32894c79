#pragma once

// The context menu and its commands, free of any window system.

#include <cstdint>

#include "shell/app.h"

// Every menu command by id; unknown ids do nothing. Commands change the
// settings in memory only; the file is written when the program ends.
void HandleCommand(App& app, uint32_t id);

// The menu from a right click on the character: the character stands still
// while it is open.
void OpenCharacterMenu(App& app);
