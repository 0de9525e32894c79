#include "win32/menu_win.h"

#include <string>

namespace {

std::wstring Wide(const std::string& utf8) {
  std::wstring text(utf8.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &text[0],
                                    static_cast<int>(text.size()));
  text.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
  return text;
}

}  // namespace

HMENU LoadContextMenu(HINSTANCE module) { return LoadMenuA(module, "MENU"); }

void ApplyMenuState(HMENU menu, const std::vector<MenuItemState>& items) {
  for (const MenuItemState& item : items) {
    UINT flags = MF_BYCOMMAND | MF_STRING;
    flags |= item.checked ? MF_CHECKED : MF_UNCHECKED;
    if (item.grayed) flags |= MF_GRAYED;
    ModifyMenuW(menu, item.id, flags, item.id, Wide(item.label).c_str());
  }
}
