// The character's GTK menu built in this process from the full edition's own
// code: every label in the desktop's language, every tick and every grey.
// X shows a menu only as pixels, so these are read from the widgets.
#include <gtk/gtk.h>

#include "gtk/menu_gtk.h"
#include "settings/edition.h"
#include "shell/menu_state.h"
#include "tests/linux/fixture.h"

namespace {

class MenuWidgets : public Linux {};

// One line per entry, indented by depth: the label, "[x]" or "[ ]" for a
// check item, "(grey)" when it cannot be chosen, "--" for a separator.
void Describe(GtkWidget* menu, int depth, std::string& out) {
  GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* i = children; i; i = i->next) {
    GtkWidget* item = GTK_WIDGET(i->data);
    out += std::string(static_cast<size_t>(depth) * 2, ' ');
    if (GTK_IS_SEPARATOR_MENU_ITEM(item)) {
      out += "--\n";
      continue;
    }
    out += gtk_menu_item_get_label(GTK_MENU_ITEM(item));
    if (GTK_IS_CHECK_MENU_ITEM(item)) {
      out += gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item)) ? " [x]" : " [ ]";
    }
    if (!gtk_widget_get_sensitive(item)) out += " (grey)";
    out += "\n";
    if (GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item))) Describe(sub, depth + 1, out);
  }
  g_list_free(children);
}

std::string Built(const Settings& settings, Edition edition, Language language, bool tray) {
  GtkWidget* menu = BuildContextMenu(MenuState(settings, edition, language, tray), language, true,
                                     [](uint32_t, void*) {}, nullptr);
  g_object_ref_sink(menu);
  std::string out;
  Describe(menu, 0, out);
  gtk_widget_destroy(menu);
  g_object_unref(menu);
  return out;
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
            "  x1 [ ]\n  x2 [x]\n  x3 [ ]\n  x4 [ ]\n  x5 [ ]\n  x6 [ ]\n  x7 [ ]\n  x8 [ ]\n"
            "  x9 [ ]\n  x10 [ ]\n"
            "Alarm sound\n"
            "  \"LAUGH\" [x]\n  \"OK\" [ ]\n  --\n  WAVE file... [ ]\n  WAVE file (loop)... [ ]\n"
            "  --\n  Alarm length\n    5 seconds [x]\n    10 seconds [ ]\n    30 seconds [ ]\n"
            "    60 seconds [ ]\n"
            "--\nEdit alarm times...\n--\nHide in tray [ ] (grey)\nStart at login [ ]\n--\n"
            "About Kurimaro\n--\nExit\n");

  // The lite edition in Japanese, stored in a tray: no shadow, nothing above x5,
  // and the tray item takes the program out.
  Settings stored;
  stored.in_tray = true;
  stored.scale = 5;
  const std::string japanese = Built(stored, Edition::Lite, Language::Japanese, true);
  for (const char* line : {"表示\n", "  ドロップシャドウ [ ] (grey)\n", "  x5 [x]\n",
                           "  x6 [ ] (grey)\n", "  x10 [ ] (grey)\n", "  WAVEファイル(LOOP) [ ]\n",
                           "タスクトレイから出す [ ]\n", "終了\n"}) {
    EXPECT_NE(japanese.find(line), std::string::npos) << line << "in\n" << japanese;
  }
}
