#pragma once

#include <windows.h>

// Take the outline of the current frame and the working size; sent to the
// main window first, then to the shadow window.
inline constexpr UINT WM_APP_RESHAPE = WM_APP + 101;
