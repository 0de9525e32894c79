#pragma once

#include "settings/settings.h"

// Makes the shadow window (which asks for the tray icon) and then the
// character at pos, both at the settings' scale, and applies keep-above.
void CreateAppWindows(const StartPosition& pos);
// The character moved or changed size: the shadow follows.
void MainMoved();
// The one way out: the settings are written once, the windows and the tray
// icon go and the main loop ends. Safe to call again.
void EndProgram();
