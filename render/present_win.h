#pragma once

#include <windows.h>

#include "render/surface.h"

// Copies the whole picture to (0, 0) of the device context in one transfer.
void PresentPicture(HDC target, const Surface& picture);
