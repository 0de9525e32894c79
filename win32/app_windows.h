#pragma once

// Registers both window classes and creates the shadow window and the main
// window it owns, placed and sized from the settings just loaded.
bool CreateAppWindows();
