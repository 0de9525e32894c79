// The character's GTK menu built in this process from the full edition's own
// code: every label in the desktop's language, every tick and every grey,
// the one-of choices as radio items of one group per popup, and the command
// a choice sends. X shows a menu only as pixels, so these are read from the
// widgets.
#include <gtk/gtk.h>

#include "gtk/menu_gtk.h"
#include "resources/resource_ids.h"
#include "settings/edition.h"
#include "shell/menu_state.h"
#include "tests/linux/fixture.h"

namespace {

class MenuWidgets : public Linux {};

// One line per entry, indented by depth: the label, "[x]" or "[ ]" for a
// check item, "(o)" or "( )" for a radio item, "(grey)" when it cannot be
// chosen, "--" for a separator. A popup's radio items must form one group
// of exactly them; a stray one is marked "(own group)".
void Describe(GtkWidget* menu, int depth, std::string& out) {
  GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
  GSList* group = nullptr;
  guint radios = 0;
  for (GList* i = children; i; i = i->next) {
    if (!GTK_IS_RADIO_MENU_ITEM(i->data)) continue;
    ++radios;
    if (!group) group = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(i->data));
  }
  for (GList* i = children; i; i = i->next) {
    GtkWidget* item = GTK_WIDGET(i->data);
    out += std::string(static_cast<size_t>(depth) * 2, ' ');
    if (GTK_IS_SEPARATOR_MENU_ITEM(item)) {
      out += "--\n";
      continue;
    }
    out += gtk_menu_item_get_label(GTK_MENU_ITEM(item));
    const bool active = GTK_IS_CHECK_MENU_ITEM(item) &&
                        gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item));
    if (GTK_IS_RADIO_MENU_ITEM(item)) {
      out += active ? " (o)" : " ( )";
      if (gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(item)) != group ||
          g_slist_length(group) != radios) {
        out += " (own group)";
      }
    } else if (GTK_IS_CHECK_MENU_ITEM(item)) {
      out += active ? " [x]" : " [ ]";
    }
    if (!gtk_widget_get_sensitive(item)) out += " (grey)";
    out += "\n";
    if (GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item))) Describe(sub, depth + 1, out);
  }
  g_list_free(children);
}

// The commands the menu sent, as the program's loop hands them over.
std::vector<uint32_t> g_chosen;

GtkWidget* Build(const Settings& settings, Edition edition, Language language, bool tray) {
  GtkWidget* menu = BuildContextMenu(MenuState(settings, edition, language, tray), language, true,
                                     [](uint32_t id, void*) { g_chosen.push_back(id); }, nullptr);
  g_object_ref_sink(menu);
  return menu;
}

void Free(GtkWidget* menu) {
  gtk_widget_destroy(menu);
  g_object_unref(menu);
}

std::string Built(const Settings& settings, Edition edition, Language language, bool tray) {
  GtkWidget* menu = Build(settings, edition, language, tray);
  std::string out;
  Describe(menu, 0, out);
  Free(menu);
  return out;
}

// The item of that label, anywhere in the menu.
GtkWidget* Find(GtkWidget* menu, const std::string& label) {
  GtkWidget* found = nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* i = children; i && !found; i = i->next) {
    GtkWidget* item = GTK_WIDGET(i->data);
    if (GTK_IS_SEPARATOR_MENU_ITEM(item)) continue;
    if (label == gtk_menu_item_get_label(GTK_MENU_ITEM(item))) found = item;
    else if (GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item))) found = Find(sub, label);
  }
  g_list_free(children);
  return found;
}

// Chooses the item as a click does and lets the commands go out.
std::vector<uint32_t> Choose(GtkWidget* menu, const std::string& label) {
  g_chosen.clear();
  GtkWidget* item = Find(menu, label);
  if (item) gtk_menu_item_activate(GTK_MENU_ITEM(item));
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  return g_chosen;
}

}  // namespace

TEST_F(MenuWidgets, LabelsTicksAndGreys) {
  g_setenv("DISPLAY", lx::TestDisplay().c_str(), TRUE);
  ASSERT_TRUE(gtk_init_check(nullptr, nullptr));

  // The start-up settings in English with no tray.
  EXPECT_EQ(Built(Settings{}, Edition::Full, Language::English, false),
            "Display\n"
            "  24-hour clock [ ]\n  Alarm mode [ ]\n  Show date [x]\n  Always on top [x]\n"
            "  Lock position [ ]\n  Drop shadow [x]\n"
            "Size\n"
            "  x1 ( )\n  x2 (o)\n  x3 ( )\n  x4 ( )\n  x5 ( )\n  x6 ( )\n  x7 ( )\n  x8 ( )\n"
            "  x9 ( )\n  x10 ( )\n"
            "Alarm sound\n"
            "  \"LAUGH\" (o)\n  \"OK\" ( )\n  --\n  WAVE file... ( )\n  WAVE file (loop)... ( )\n"
            "  --\n  Alarm length\n    5 seconds (o)\n    10 seconds ( )\n    30 seconds ( )\n"
            "    60 seconds ( )\n"
            "--\nEdit alarm times...\n--\nHide in tray (grey)\nStart at login [ ]\n--\n"
            "About Kurimaro\n--\nExit\n");

  // The lite edition in Japanese, stored in a tray: no shadow, nothing above x5,
  // and the tray item takes the program out.
  Settings stored;
  stored.in_tray = true;
  stored.scale = 5;
  const std::string japanese = Built(stored, Edition::Lite, Language::Japanese, true);
  for (const char* line : {"表示\n", "  ドロップシャドウ [ ] (grey)\n", "  x5 (o)\n",
                           "  x6 ( ) (grey)\n", "  x10 ( ) (grey)\n", "  WAVEファイル(LOOP) ( )\n",
                           "タスクトレイから出す\n", "終了\n"}) {
    EXPECT_NE(japanese.find(line), std::string::npos) << line << "in\n" << japanese;
  }

  // A choice sends its own command alone, though the radio item it takes
  // the check from is activated too; choosing the one taken sends it again,
  // as on Windows; a check sends its command either way.
  Settings file;
  file.sound = 2;
  GtkWidget* menu = Build(file, Edition::Full, Language::English, true);
  EXPECT_EQ(Choose(menu, "\"LAUGH\""), std::vector<uint32_t>{ID_SOUND_LAUGH});
  EXPECT_EQ(Choose(menu, "x3"), std::vector<uint32_t>{ID_SIZE_X1 + 2});
  EXPECT_EQ(Choose(menu, "x3"), std::vector<uint32_t>{ID_SIZE_X1 + 2});
  EXPECT_EQ(Choose(menu, "Show date"), std::vector<uint32_t>{ID_CALENDAR});
  EXPECT_EQ(Choose(menu, "Hide in tray"), std::vector<uint32_t>{ID_TRAY});
  Free(menu);
}
