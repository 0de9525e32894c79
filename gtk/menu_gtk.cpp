#include "gtk/menu_gtk.h"

#include <gdk/gdkwayland.h>

#include "shell/menu.h"

namespace {

struct Target {
  MenuChosen chosen;
  void* data;
};

struct Command {
  Target target;
  uint32_t id;
};

gboolean DispatchCommand(gpointer command) {
  const Command* c = static_cast<Command*>(command);
  c->target.chosen(c->id, c->target.data);
  delete c;
  return G_SOURCE_REMOVE;
}

// A menu that runs its own loop hands the command over when it closes; the
// indicator's menu has no loop of ours, so its command goes at once.
void OnItemActivated(GtkMenuItem* item, gpointer id) {
  // Choosing a radio item activates the one it takes the check from as well.
  if (GTK_IS_RADIO_MENU_ITEM(item) && !gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item))) {
    return;
  }
  const auto* target = static_cast<const Target*>(g_object_get_data(G_OBJECT(item), "target"));
  if (target) g_idle_add(DispatchCommand, new Command{*target, GPOINTER_TO_UINT(id)});
}

const MenuItemState* Find(const std::vector<MenuItemState>& items, uint16_t id) {
  for (const MenuItemState& item : items) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

// A rewritten item shows its state as the description says: a check of
// its own, one of its popup's radio items, or a plain item whose label and
// grey change. group: the radio group of the popup being built.
GtkWidget* MakeItem(const MenuEntry& entry, const std::vector<MenuItemState>& items,
                    Language language, GSList*& group) {
  const MenuItemState* state = entry.rewritten ? Find(items, entry.id) : nullptr;
  if (!state) return gtk_menu_item_new_with_label(entry.Label(language));
  GtkWidget* item = nullptr;
  switch (entry.mark) {
    case MenuMark::None: item = gtk_menu_item_new_with_label(state->label.c_str()); break;
    case MenuMark::Check: item = gtk_check_menu_item_new_with_label(state->label.c_str()); break;
    case MenuMark::Choice:
      item = gtk_radio_menu_item_new_with_label(group, state->label.c_str());
      group = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(item));
      break;
  }
  if (GTK_IS_CHECK_MENU_ITEM(item) && state->checked) {
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), TRUE);
  }
  gtk_widget_set_sensitive(item, !state->grayed);
  return item;
}

void QuitLoop(GtkMenuShell*, gpointer loop) { g_main_loop_quit(static_cast<GMainLoop*>(loop)); }

}  // namespace

GtkWidget* BuildContextMenu(const std::vector<MenuItemState>& items, Language language,
                            bool sensitive, MenuChosen chosen, void* data) {
  GtkWidget* root = gtk_menu_new();
  auto* target = new Target{chosen, data};
  g_object_set_data_full(G_OBJECT(root), "target", target,
                         [](gpointer t) { delete static_cast<Target*>(t); });
  std::vector<GtkWidget*> menus = {root};     // the open menu of each depth
  std::vector<GSList*> groups = {nullptr};    // its radio group
  std::vector<std::pair<GtkWidget*, uint16_t>> commands;
  for (const MenuEntry& entry : ContextMenu()) {
    menus.resize(static_cast<size_t>(entry.depth) + 1);
    groups.resize(menus.size());
    GtkWidget* parent = menus.back();
    GtkWidget* item = nullptr;
    switch (entry.kind) {
      case MenuKind::Separator: item = gtk_separator_menu_item_new(); break;
      case MenuKind::Popup: {
        item = gtk_menu_item_new_with_label(entry.Label(language));
        GtkWidget* sub = gtk_menu_new();
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), sub);
        menus.push_back(sub);
        groups.push_back(nullptr);
        break;
      }
      case MenuKind::Item:
        item = MakeItem(entry, items, language, groups[static_cast<size_t>(entry.depth)]);
        commands.emplace_back(item, entry.id);
        break;
    }
    if (!sensitive && entry.kind != MenuKind::Separator) gtk_widget_set_sensitive(item, FALSE);
    g_object_set_data(G_OBJECT(item), "target", target);
    gtk_menu_shell_append(GTK_MENU_SHELL(parent), item);
  }
  // Connected once every check is set: setting one activates it, and a
  // radio item set takes the check from the one before it.
  for (const auto& [item, id] : commands) {
    g_signal_connect(item, "activate", G_CALLBACK(OnItemActivated), GUINT_TO_POINTER(id));
  }
  gtk_widget_show_all(root);
  return root;
}

void RunContextMenu(const std::vector<MenuItemState>& items, Language language, bool from_tray,
                    MenuChosen chosen, void* data, std::vector<GtkWidget*>& open) {
  GtkWidget* menu = BuildContextMenu(items, language, true, chosen, data);
  g_object_ref_sink(menu);
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_signal_connect(menu, "deactivate", G_CALLBACK(QuitLoop), loop);
  g_object_set(menu, "anchor-hints", GDK_ANCHOR_FLIP | GDK_ANCHOR_SLIDE | GDK_ANCHOR_RESIZE,
               nullptr);
  if (!GDK_IS_WAYLAND_DISPLAY(gdk_display_get_default())) {
    GdkWindow* root = gdk_get_default_root_window();
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    GdkDevice* pointer = gdk_seat_get_pointer(seat);
    GdkRectangle at = {0, 0, 1, 1};
    if (pointer) gdk_device_get_position(pointer, nullptr, &at.x, &at.y);
    gtk_menu_popup_at_rect(GTK_MENU(menu), root, &at, GDK_GRAVITY_NORTH_WEST,
                           from_tray ? GDK_GRAVITY_SOUTH_EAST : GDK_GRAVITY_SOUTH_WEST, nullptr);
  } else {
    // Wayland knows no root window and no global pointer: a popup hangs
    // from the surface of the click that opened it.
    gtk_menu_popup_at_pointer(GTK_MENU(menu), nullptr);
  }
  // Held until it closes, as the character stands still meanwhile.
  if (gtk_widget_get_visible(menu)) {
    open.push_back(menu);
    g_main_loop_run(loop);
    open.pop_back();
  }
  g_main_loop_unref(loop);
  gtk_widget_destroy(menu);
  g_object_unref(menu);
}
