#include "win32/app_win.h"

#include "resources/resource_ids.h"

Settings g_settings;
AppState g_app;
Win32State g_win;

std::string StartDirPath(const char* file_name) { return JoinStartDir(g_app.start_dir.c_str(), file_name); }

namespace {

// A bitmap resource is a packed DIB, the layout the core reads.
ByteView BitmapResource(int id) {
  HINSTANCE module = g_win.instance_handle;
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  if (!loaded) return {};
  return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(module, found)};
}

}  // namespace

bool LoadSpritesFromResources() {
  return LoadSprites(g_app.sprites, BitmapResource(IDB_GLYPH_ATLAS),
                     BitmapResource(IDB_CHARACTER_SHEET), BitmapResource(IDB_BUBBLE_IMAGE));
}
