#include "gtk/present_x11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<XRectangle> Rectangles(const std::vector<PixelBox>& region) {
  std::vector<XRectangle> out;
  out.reserve(region.size());
  for (const PixelBox& r : region) {
    out.push_back({static_cast<short>(r.left), static_cast<short>(r.top),
                   static_cast<unsigned short>(r.right - r.left),
                   static_cast<unsigned short>(r.bottom - r.top)});
  }
  return out;
}

}  // namespace

bool PutPicture(GdkWindow* window, const Surface& picture, int32_t scale, const PixelBox& area,
                Surface& band) {
  if (!window || !GDK_IS_X11_WINDOW(window) || !gdk_window_is_viewable(window)) return false;
  if (area.empty() || picture.pixels.empty()) return false;
  GdkVisual* visual = gdk_window_get_visual(window);
  guint32 red = 0, green = 0, blue = 0;
  gdk_visual_get_red_pixel_details(visual, &red, nullptr, nullptr);
  gdk_visual_get_green_pixel_details(visual, &green, nullptr, nullptr);
  gdk_visual_get_blue_pixel_details(visual, &blue, nullptr, nullptr);
  const int depth = gdk_visual_get_depth(visual);
  if ((depth != 24 && depth != 32) || red != 0xFF0000 || green != 0xFF00 || blue != 0xFF) {
    return false;
  }
  Display* x = GDK_WINDOW_XDISPLAY(window);
  // One GC for the program's life, on the one window it paints.
  static GC gc = XCreateGC(x, GDK_WINDOW_XID(window), 0, nullptr);
  ForEachBand(picture, scale, area, band, [&](Surface& part, int32_t left, int32_t top) {
    // The 0xAARRGGBB words as they lie in memory; Xlib swaps them for a
    // server of the other byte order. Depth 24 leaves the alpha byte out.
    XImage image = {};
    image.width = part.width;
    image.height = part.height;
    image.format = ZPixmap;
    image.data = reinterpret_cast<char*>(part.pixels.data());
    image.byte_order = G_BYTE_ORDER == G_LITTLE_ENDIAN ? LSBFirst : MSBFirst;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = image.byte_order;
    image.bitmap_pad = 32;
    image.depth = depth;
    image.bytes_per_line = part.stride;
    image.bits_per_pixel = 32;
    image.red_mask = red;
    image.green_mask = green;
    image.blue_mask = blue;
    if (!XInitImage(&image)) return;
    XPutImage(x, GDK_WINDOW_XID(window), gc, &image, 0, 0, left, top,
              static_cast<unsigned>(part.width), static_cast<unsigned>(part.height));
  });
  XFlush(x);
  return true;
}

void ShapeWindow(GdkWindow* window, const std::vector<PixelBox>& bounding,
                 const std::vector<PixelBox>& input) {
  if (!window || !GDK_IS_X11_WINDOW(window)) return;
  Display* x = GDK_WINDOW_XDISPLAY(window);
  const Window w = GDK_WINDOW_XID(window);
  for (const auto& [kind, region] : {std::pair{ShapeBounding, &bounding}, {ShapeInput, &input}}) {
    std::vector<XRectangle> rects = Rectangles(*region);
    XShapeCombineRectangles(x, w, kind, 0, 0, rects.data(), static_cast<int>(rects.size()),
                            ShapeSet, Unsorted);
  }
  XFlush(x);
}

void ClearWindowBackground(GdkWindow* window) {
  if (!window || !GDK_IS_X11_WINDOW(window)) return;
  XSetWindowBackground(GDK_WINDOW_XDISPLAY(window), GDK_WINDOW_XID(window), 0);
}
