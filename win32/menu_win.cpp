#include "win32/menu_win.h"

#include "settings/wide_path_win.h"

HMENU LoadContextMenu(HINSTANCE module, Language language) {
  // Asked for by language: the loader's own pick follows the thread's
  // language, which need not be the user's interface language.
  const WORD lang_id = language == Language::Japanese
                           ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                           : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(4) /* RT_MENU */, L"MENU", lang_id);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* menu = loaded ? LockResource(loaded) : nullptr;
  return menu ? LoadMenuIndirectW(menu) : nullptr;
}

void ApplyMenuState(HMENU menu, const std::vector<MenuItemState>& items) {
  for (const MenuItemState& item : items) {
    UINT flags = MF_BYCOMMAND | MF_STRING;
    flags |= item.checked ? MF_CHECKED : MF_UNCHECKED;
    if (item.grayed) flags |= MF_GRAYED;
    ModifyMenuW(menu, item.id, flags, item.id, WidePath(item.label.c_str()).c_str());
  }
}
