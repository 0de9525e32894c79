#pragma once

#include <windows.h>

#include "render/surface.h"

// Copies the area of the picture to the same place of the device context in
// one transfer.
void PresentPicture(HDC target, const Surface& picture, const PixelBox& area);
