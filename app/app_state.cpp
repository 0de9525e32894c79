#include "app/app_state.h"

#include "resources/resource_ids.h"

Settings g_settings;
AppState g_app;

int VirtualScreenWidth() {
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  return width > 0 ? width : GetSystemMetrics(SM_CXFULLSCREEN);
}

int VirtualScreenHeight() {
  return GetSystemMetrics(SM_CXVIRTUALSCREEN) > 0 ? GetSystemMetrics(SM_CYVIRTUALSCREEN)
                                                   : GetSystemMetrics(SM_CYFULLSCREEN);
}

ScreenRect VirtualScreenRect() {
  const bool virtual_known = GetSystemMetrics(SM_CXVIRTUALSCREEN) > 0;
  return {virtual_known ? GetSystemMetrics(SM_XVIRTUALSCREEN) : 0,
          virtual_known ? GetSystemMetrics(SM_YVIRTUALSCREEN) : 0, VirtualScreenWidth(),
          VirtualScreenHeight()};
}

std::string StartDirPath(const char* file_name) { return JoinStartDir(g_app.start_dir, file_name); }

// The position lives only in the window; it is read at the moment of saving.
void SaveSettings() {
  RECT rect = {};
  GetWindowRect(g_app.main_window, &rect);
  ::SaveSettings(g_settings, rect.left, rect.top, StartDirPath(kSettingsFileName).c_str());
}

namespace {

// A bitmap resource is a packed DIB, the layout the core reads.
ByteView BitmapResource(int id) {
  HRSRC found = FindResourceA(g_app.instance_handle, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));
  HGLOBAL loaded = found ? LoadResource(g_app.instance_handle, found) : nullptr;
  if (!loaded) return {};
  return {static_cast<const uint8_t*>(LockResource(loaded)),
          SizeofResource(g_app.instance_handle, found)};
}

}  // namespace

bool LoadSpritesFromResources() {
  return LoadSprites(g_app.sprites, BitmapResource(IDB_GLYPH_ATLAS),
                     BitmapResource(IDB_CHARACTER_SHEET), BitmapResource(IDB_BUBBLE_IMAGE));
}
