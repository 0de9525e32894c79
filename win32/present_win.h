#pragma once

#include <windows.h>

#include "render/surface.h"

// Copies the whole picture to (x, y) of the device context in one transfer.
void PresentPicture(HDC target, const Surface& picture, int32_t x, int32_t y);
