#include "gtk/menu_gtk.h"

#include "gtk/app_gtk.h"
#include "shell/commands.h"
#include "shell/menu.h"

namespace {

gboolean DispatchCommand(gpointer) {
  const uint32_t id = g_gtk.menu_command;
  g_gtk.menu_command = 0;
  if (id != 0) HandleCommand(g_app, g_settings, kEdition, g_gtk.platform, id);
  RefreshIndicatorMenu(g_gtk.platform.tray);
  return G_SOURCE_REMOVE;
}

// A menu that runs its own loop hands the command over when it closes; the
// indicator's menu has no loop of ours, so its command goes at once.
void OnItemActivated(GtkMenuItem*, gpointer id) {
  const bool pending = g_gtk.menu_command != 0;
  g_gtk.menu_command = GPOINTER_TO_UINT(id);
  if (!pending) g_idle_add(DispatchCommand, nullptr);
}

const MenuItemState* Find(const std::vector<MenuItemState>& items, uint16_t id) {
  for (const MenuItemState& item : items) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

GtkWidget* MakeItem(const MenuEntry& entry, const std::vector<MenuItemState>& items,
                    Language language) {
  const MenuItemState* state = entry.rewritten ? Find(items, entry.id) : nullptr;
  GtkWidget* item = nullptr;
  if (state) {
    // Every rewritten item may carry a check, as on Windows.
    item = gtk_check_menu_item_new_with_label(state->label.c_str());
    // Set before the handler is connected: setting it activates the item.
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), state->checked);
    gtk_widget_set_sensitive(item, !state->grayed);
  } else {
    item = gtk_menu_item_new_with_label(entry.Label(language));
  }
  g_signal_connect(item, "activate", G_CALLBACK(OnItemActivated), GUINT_TO_POINTER(entry.id));
  return item;
}

void QuitLoop(GtkMenuShell*, gpointer loop) { g_main_loop_quit(static_cast<GMainLoop*>(loop)); }

}  // namespace

GtkWidget* BuildContextMenu(const std::vector<MenuItemState>& items, Language language,
                            bool sensitive) {
  GtkWidget* root = gtk_menu_new();
  std::vector<GtkWidget*> menus = {root};  // the open menu of each depth
  for (const MenuEntry& entry : ContextMenu()) {
    menus.resize(static_cast<size_t>(entry.depth) + 1);
    GtkWidget* parent = menus.back();
    GtkWidget* item = nullptr;
    switch (entry.kind) {
      case MenuKind::Separator: item = gtk_separator_menu_item_new(); break;
      case MenuKind::Popup: {
        item = gtk_menu_item_new_with_label(entry.Label(language));
        GtkWidget* sub = gtk_menu_new();
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), sub);
        menus.push_back(sub);
        break;
      }
      case MenuKind::Item: item = MakeItem(entry, items, language); break;
    }
    if (!sensitive && entry.kind != MenuKind::Separator) gtk_widget_set_sensitive(item, FALSE);
    gtk_menu_shell_append(GTK_MENU_SHELL(parent), item);
  }
  gtk_widget_show_all(root);
  return root;
}

void RunContextMenu(const std::vector<MenuItemState>& items, Language language, bool from_tray) {
  GtkWidget* menu = BuildContextMenu(items, language, true);
  g_object_ref_sink(menu);
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_signal_connect(menu, "deactivate", G_CALLBACK(QuitLoop), loop);
  GdkWindow* root = gdk_get_default_root_window();
  GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
  GdkDevice* pointer = gdk_seat_get_pointer(seat);
  GdkRectangle at = {0, 0, 1, 1};
  if (pointer) gdk_device_get_position(pointer, nullptr, &at.x, &at.y);
  g_object_set(menu, "anchor-hints", GDK_ANCHOR_FLIP | GDK_ANCHOR_SLIDE | GDK_ANCHOR_RESIZE,
               nullptr);
  gtk_menu_popup_at_rect(GTK_MENU(menu), root, &at, GDK_GRAVITY_NORTH_WEST,
                         from_tray ? GDK_GRAVITY_SOUTH_EAST : GDK_GRAVITY_SOUTH_WEST, nullptr);
  // Held until it closes, as the character stands still meanwhile.
  if (gtk_widget_get_visible(menu)) g_main_loop_run(loop);
  g_main_loop_unref(loop);
  gtk_widget_destroy(menu);
  g_object_unref(menu);
}
