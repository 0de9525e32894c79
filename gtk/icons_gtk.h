#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <vector>

#include "gtk/embedded.h"

// The images of an icon file as the art generator writes it (32-bit images
// with alpha), largest first; empty when the bytes are not such a file.
// The caller unrefs each.
std::vector<GdkPixbuf*> DecodeIcon(const EmbeddedFile& file);
void FreeIcons(std::vector<GdkPixbuf*>& icons);
