// The context menu's commands and the tray, driven as a user does.
#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "resources/resource_ids.h"
#include "tests/linux/fixture.h"

using namespace lx;

namespace {

class Menu : public Linux {};

// Destroyed, not merely unmapped: until then the box holds the program's grab.
bool Gone(const Running& r, XWin box) {
  for (XWin w : ClientsOf(r.process.pid)) {
    if (w == box) return false;
  }
  return true;
}

// Double-clicks the docked icon once the host has stopped laying it out: its
// place unchanged for half a second, which a loaded machine needs.
void DoubleClickIcon(const Running& r) {
  Rect last;
  int same = 0;
  WaitUntil([&] {
    const Rect now = Bounds(DockedTrayIcon(r.process.pid));
    same = now == last && now.w > 0 ? same + 1 : 0;
    last = now;
    return same >= 25;
  });
  MovePointer(last.x + last.w / 2, last.y + last.h / 2);
  Click(1, 2);
}

bool Stored(const Running& r) { return !Viewable(r.main); }
bool Shown(const Running& r) { return Viewable(r.main); }

constexpr const char kWatcherXml[] = R"(<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
  </interface>
</node>)";

// A session bus of the test's own with a StatusNotifierWatcher on it, as a
// desktop's panel keeps one: it takes the items that register, and calls them.
// The process's user and system time so far.
double CpuSeconds(pid_t pid) {
  std::istringstream stat(ReadFileBytes("/proc/" + std::to_string(pid) + "/stat"));
  std::string field;
  // The name may hold spaces; the fields after its closing parenthesis do not.
  std::getline(stat, field, ')');
  long long ticks[2] = {};
  for (int i = 3; i <= 15; ++i) {
    stat >> field;
    if (i >= 14) ticks[i - 14] = std::atoll(field.c_str());
  }
  return static_cast<double>(ticks[0] + ticks[1]) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

class Watcher {
 public:
  Watcher() {
    bus_ = StartSessionBus(MakeWorkDir("Menu.watcher"), address_);
    if (address_.empty()) return;
    loop_ = g_main_loop_new(context_, FALSE);
    thread_ = std::thread([this] { Serve(); });
  }
  ~Watcher() {
    if (thread_.joinable()) {
      g_main_context_invoke(context_, [](gpointer loop) {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return G_SOURCE_REMOVE;
      }, loop_);
      thread_.join();
    }
    if (loop_) g_main_loop_unref(loop_);
    g_main_context_unref(context_);
    Stop(bus_);
  }
  const std::string& address() const { return address_; }
  // The first item that registered, as its bus name and object path.
  bool Item(std::string& name, std::string& path) {
    std::lock_guard<std::mutex> hold(lock_);
    if (items_.empty()) return false;
    name = items_.front().first;
    path = items_.front().second;
    return true;
  }
  // How the item's exported menu shows the item of that label, as a panel
  // reads it to draw the menu: "enabled", "disabled" or "" when not there.
  std::string MenuItemState(const std::string& label) {
    std::string name, path;
    if (!Item(name, path)) return "";
    GDBusConnection* c = Connect();
    if (!c) return "";
    std::string state;
    GVariant* menu = g_dbus_connection_call_sync(
        c, name.c_str(), path.c_str(), "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", "org.kde.StatusNotifierItem", "Menu"), G_VARIANT_TYPE("(v)"),
        G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (menu) {
      GVariant* boxed = nullptr;
      g_variant_get(menu, "(v)", &boxed);
      const std::string menu_path = g_variant_get_string(boxed, nullptr);
      GVariant* layout = g_dbus_connection_call_sync(
          c, name.c_str(), menu_path.c_str(), "com.canonical.dbusmenu", "GetLayout",
          g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)), nullptr,
          G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
      if (layout) {
        GVariant* root = g_variant_get_child_value(layout, 1);
        state = FindInLayout(root, label);
        g_variant_unref(root);
        g_variant_unref(layout);
      }
      g_variant_unref(boxed);
      g_variant_unref(menu);
    }
    g_object_unref(c);
    return state;
  }

  // One of the item's own methods, as a panel calls it on a click.
  bool CallItem(const char* method) {
    std::string name, path;
    if (!Item(name, path)) return false;
    GDBusConnection* c = Connect();
    if (!c) return false;
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(c, name.c_str(), path.c_str(),
                                                  "org.kde.StatusNotifierItem", method,
                                                  g_variant_new("(ii)", 0, 0), nullptr,
                                                  G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
    if (reply) g_variant_unref(reply);
    if (error) {
      ADD_FAILURE() << name << " " << path << ": " << error->message;
      g_error_free(error);
    }
    g_object_unref(c);
    return reply != nullptr;
  }

 private:
  GDBusConnection* Connect() {
    return g_dbus_connection_new_for_address_sync(
        address_.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
  }
  // An entry of a dbusmenu layout is (id, properties, children); "enabled"
  // is left out while it is true.
  static std::string FindInLayout(GVariant* entry, const std::string& label) {
    GVariant* properties = g_variant_get_child_value(entry, 1);
    const gchar* text = nullptr;
    std::string found;
    if (g_variant_lookup(properties, "label", "&s", &text)) {
      std::string plain;
      for (const char* t = text; *t; ++t) {
        if (*t != '_') plain += *t;
      }
      if (plain == label) {
        gboolean enabled = TRUE;
        g_variant_lookup(properties, "enabled", "b", &enabled);
        found = enabled ? "enabled" : "disabled";
      }
    }
    g_variant_unref(properties);
    GVariant* children = g_variant_get_child_value(entry, 2);
    for (gsize i = 0; found.empty() && i < g_variant_n_children(children); ++i) {
      GVariant* boxed = g_variant_get_child_value(children, i);
      GVariant* child = g_variant_get_variant(boxed);
      found = FindInLayout(child, label);
      g_variant_unref(child);
      g_variant_unref(boxed);
    }
    g_variant_unref(children);
    return found;
  }

  static void OnCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                     const gchar* method, GVariant* parameters, GDBusMethodInvocation* call,
                     gpointer self) {
    if (g_strcmp0(method, "RegisterStatusNotifierItem") == 0) {
      const gchar* service = nullptr;
      g_variant_get(parameters, "(&s)", &service);
      // An item names either its object path or its bus name.
      const bool is_path = service && service[0] == '/';
      auto* watcher = static_cast<Watcher*>(self);
      std::lock_guard<std::mutex> hold(watcher->lock_);
      watcher->items_.emplace_back(is_path ? sender : service,
                                   is_path ? service : "/StatusNotifierItem");
    }
    g_dbus_method_invocation_return_value(call, nullptr);
  }
  static GVariant* OnGet(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                         const gchar* property, GError**, gpointer) {
    if (g_strcmp0(property, "IsStatusNotifierHostRegistered") == 0) {
      return g_variant_new_boolean(TRUE);
    }
    if (g_strcmp0(property, "ProtocolVersion") == 0) return g_variant_new_int32(0);
    return g_variant_new_strv(nullptr, 0);
  }
  void Serve() {
    g_main_context_push_thread_default(context_);
    GDBusConnection* c = g_dbus_connection_new_for_address_sync(
        address_.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    if (c) {
      GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kWatcherXml, nullptr);
      static const GDBusInterfaceVTable vtable = {OnCall, OnGet, nullptr, {}};
      g_dbus_connection_register_object(c, "/StatusNotifierWatcher", node->interfaces[0],
                                        &vtable, this, nullptr, nullptr);
      g_dbus_node_info_unref(node);
      const guint owner = g_bus_own_name_on_connection(c, "org.kde.StatusNotifierWatcher",
                                                       G_BUS_NAME_OWNER_FLAGS_NONE, nullptr,
                                                       nullptr, nullptr, nullptr);
      g_main_loop_run(loop_);
      g_bus_unown_name(owner);
      g_object_unref(c);
    }
    g_main_context_pop_thread_default(context_);
  }

  std::string address_;
  Process bus_;
  GMainContext* context_ = g_main_context_new();
  GMainLoop* loop_ = nullptr;
  std::thread thread_;
  std::mutex lock_;
  std::vector<std::pair<std::string, std::string>> items_;
};

}  // namespace

// Sizes, the drop shadow, keep-above as the window manager's state, the
// clock's rows, the about box, the WAVE file chooser and Exit, each chosen
// from the menu by keys.
// There is no tray here, so "store" is grey.
TEST_F(Menu, CommandsTakeEffect) {
  const std::string dir = Dir();
  const std::vector<int> alarms = {SecondOfDayNow() + 7200};
  WriteAlarms(dir + "/" + kAlarmName, alarms);
  Running r = Launch(kFull, dir, std::nullopt, {"LC_ALL", "LC_MESSAGES", "LANG=C.UTF-8"});
  ASSERT_NE(r.main, 0u);

  ASSERT_TRUE(ChooseFromMenu(r, ID_SIZE_X1 + 2));
  EXPECT_TRUE(WaitUntil([&] { return Bounds(r.main) == WindowRect(kFull, 100, 100, 3); }))
      << Bounds(r.main);
  auto shaped = [&](Shade shade) { return Shape(r.main) == WindowShape(kFull, 0, 3, shade); };
  EXPECT_TRUE(WaitUntil([&] { return shaped(Shade::Stippled); }));

  ASSERT_TRUE(ChooseFromMenu(r, ID_SHADOW));
  EXPECT_TRUE(WaitUntil([&] { return shaped(Shade::Off); }));
  ASSERT_TRUE(ChooseFromMenu(r, ID_SHADOW));
  EXPECT_TRUE(WaitUntil([&] { return shaped(Shade::Stippled); }));

  EXPECT_TRUE(WaitUntil([&] { return HasNetWmState(r.main, "_NET_WM_STATE_ABOVE"); }));
  ASSERT_TRUE(ChooseFromMenu(r, ID_TOPMOST));
  EXPECT_TRUE(WaitUntil([&] { return !HasNetWmState(r.main, "_NET_WM_STATE_ABOVE"); }));
  ASSERT_TRUE(ChooseFromMenu(r, ID_TOPMOST));
  EXPECT_TRUE(WaitUntil([&] { return HasNetWmState(r.main, "_NET_WM_STATE_ABOVE"); }));

  // The clock's rows: 24 hours, no date, the next alarm.
  for (int command : {ID_HOUR24, ID_CALENDAR, ID_ALARM_DISPLAY}) {
    ASSERT_TRUE(ChooseFromMenu(r, static_cast<uint16_t>(command)));
  }
  Conf rows;
  rows.viewscale = 3;
  rows.hour24 = 1;
  rows.calendar = 0;
  rows.alerm = 1;
  MovePointer(5, 5);
  const Rect at = Bounds(r.main);
  std::string last;
  EXPECT_TRUE(WaitUntil([&] {
    last = CompareInside(Grab(r.main, 264, 240), ExpectedPicture(rows, 5, 5, at.x, at.y, alarms),
                         FrameMask(0, 3));
    return last.empty();
  })) << last;

  ASSERT_TRUE(ChooseFromMenu(r, ID_ABOUT, {ID_TRAY}));
  const XWin about = WaitForBox(r);
  ASSERT_NE(about, 0u);
  AskToClose(about);
  EXPECT_TRUE(WaitUntil([&] { return Gone(r, about); }));

  // The WAVE file chooser under its title; cancelled, the sound stays.
  ASSERT_TRUE(ChooseFromMenu(r, ID_SOUND_FILE));
  const XWin chooser = WaitForBox(r);
  ASSERT_NE(chooser, 0u);
  EXPECT_EQ(WindowTitle(chooser), "Open WAVE file");
  Key("Escape");
  EXPECT_TRUE(WaitUntil([&] { return Gone(r, chooser); }));

  ASSERT_TRUE(ChooseFromMenu(r, ID_EXIT, {ID_TRAY}));
  EXPECT_EQ(WaitExit(r.process), 0);
  const std::string written = ReadFileBytes(dir + "/" + kConfName);
  EXPECT_NE(written.find("$viewscale = 3\r\n"), std::string::npos);
  EXPECT_NE(written.find("$sd = 0\r\n"), std::string::npos);
}

// Edit alarm times opens alerm.txt with the user's application for text,
// here a recorder; it gets the user's own GDK scale, not the one the
// program starts GTK with.
TEST_F(Menu, EditAlarmTimesOpensTheFileForTheUser) {
  const std::string dir = Dir();
  const std::string user = MakeWorkDir("Menu.EditAlarmTimes.user");
  const std::string recorder = user + "/record.sh";
  WriteFileBytes(recorder,
            "#!/bin/sh\nprintf '%s GDK_SCALE=%s GDK_GL=%s\\n' \"$1\" \"${GDK_SCALE-}\" "
            "\"${GDK_GL-}\" >\"$0.out\"\n");
  chmod(recorder.c_str(), 0700);
  mkdir((user + "/applications").c_str(), 0700);
  WriteFileBytes(user + "/applications/recorder.desktop",
            "[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + recorder +
                " %f\nMimeType=text/plain;\n");
  WriteFileBytes(user + "/mimeapps.list", "[Default Applications]\ntext/plain=recorder.desktop\n");
  WriteAlarms(dir + "/" + kAlarmName, {7 * 3600});
  Running r = Launch(kFull, dir, std::nullopt,
                     {"XDG_DATA_HOME=" + user, "XDG_CONFIG_HOME=" + user, "GDK_SCALE=2"});
  ASSERT_NE(r.main, 0u);
  EXPECT_EQ(Bounds(r.main), WindowRect(kFull, 100, 100, 2)) << "his own scale, in device pixels";
  ASSERT_TRUE(ChooseFromMenu(r, ID_EDIT_ALARMS));
  std::string opened;
  EXPECT_TRUE(WaitUntil([&] { return !(opened = ReadFileBytes(recorder + ".out")).empty(); }));
  EXPECT_EQ(opened, dir + "/" + kAlarmName + " GDK_SCALE=2 GDK_GL=\n");
  EXPECT_EQ(CloseAndWait(r), 0);
}

// "Start at login" writes an autostart entry that the desktop's own checker
// takes and that starts this program with its folder; chosen again, the
// entry goes.
TEST_F(Menu, StartAtLoginWritesAndRemovesTheAutostartEntry) {
  const std::string dir = Dir();
  const std::string user = MakeWorkDir("Menu.StartAtLogin.user");
  const std::string entry = user + "/autostart/kurimaro.desktop";
  Running r = Launch(kFull, dir, std::nullopt, {"XDG_CONFIG_HOME=" + user});
  ASSERT_NE(r.main, 0u);
  ASSERT_TRUE(ChooseFromMenu(r, ID_START_AT_LOGIN, {ID_TRAY}));
  ASSERT_TRUE(WaitUntil([&] { return !ReadFileBytes(entry).empty(); }));
  const std::string text = ReadFileBytes(entry);
  const std::string program = std::filesystem::canonical(KURIMARO_GTK_DIR "/kurimaro").string();
  EXPECT_NE(text.find("Exec=\"" + program + "\" --dir \"" + dir + "\"\n"), std::string::npos)
      << text;
  Process check = StartTool({"desktop-file-validate", entry});
  EXPECT_EQ(WaitExit(check), 0) << ReadFileBytes(check.stderr_path);
  ASSERT_TRUE(ChooseFromMenu(r, ID_START_AT_LOGIN, {ID_TRAY}));
  EXPECT_TRUE(WaitUntil([&] { return !std::filesystem::exists(entry); }));
  EXPECT_EQ(CloseAndWait(r), 0);
}

// The icon docks in a tray host that starts after the program; stored, the
// character leaves the screen and the icon's double click brings him back. A
// host that goes brings a stored program back; one that comes again gets the
// icon and the program leaves the screen again. With no host, a program out
// of the tray has "store" grey: the keys pass over it to the about box. A
// program started under a host docks at once.
TEST_F(Menu, TrayHost) {
  const std::vector<std::string> host_argv = {"trayer", "--edge", "bottom", "--align", "right",
                                              "--widthtype", "request", "--height", "24"};
  Running r = Launch(kFull, Dir());
  ASSERT_NE(r.main, 0u);
  Process host = StartTool(host_argv);
  ASSERT_TRUE(WaitUntil([&] { return DockedTrayIcon(r.process.pid) != 0; }));

  ASSERT_TRUE(ChooseFromMenu(r, ID_TRAY));
  EXPECT_TRUE(WaitUntil([&] { return Stored(r); }));
  DoubleClickIcon(r);
  EXPECT_TRUE(WaitUntil([&] { return Shown(r); }));

  ASSERT_TRUE(ChooseFromMenu(r, ID_TRAY));
  EXPECT_TRUE(WaitUntil([&] { return Stored(r); }));
  Stop(host);
  EXPECT_TRUE(WaitUntil([&] { return Shown(r); }));
  host = StartTool(host_argv);
  EXPECT_TRUE(WaitUntil([&] { return DockedTrayIcon(r.process.pid) != 0; }));
  EXPECT_TRUE(WaitUntil([&] { return Stored(r); }));

  DoubleClickIcon(r);
  ASSERT_TRUE(WaitUntil([&] { return Shown(r); }));
  Stop(host);
  ASSERT_TRUE(WaitUntil([&] { return DockedTrayIcon(r.process.pid) == 0; }));
  ASSERT_TRUE(ChooseFromMenu(r, ID_ABOUT, {ID_TRAY}));
  const XWin about = WaitForBox(r);
  ASSERT_NE(about, 0u);
  EXPECT_TRUE(Shown(r));
  AskToClose(about);
  // The box is modal: a close of the character waits for it to go.
  EXPECT_TRUE(WaitUntil([&] { return Gone(r, about); }));
  EXPECT_EQ(CloseAndWait(r), 0);

  // Started with a host already there, the icon docks at once, and GTK has
  // nothing to complain of as it does.
  host = StartTool(host_argv);
  ASSERT_TRUE(WaitUntil(TrayHostRunning));
  Running again = Launch(kFull, Dir());
  ASSERT_NE(again.main, 0u);
  EXPECT_TRUE(WaitUntil([&] { return DockedTrayIcon(again.process.pid) != 0; }));
  EXPECT_EQ(CloseAndWait(again), 0);
}

// A panel of the StatusNotifierItem kind takes the icon; it has no double
// click, so its activation carries that rule and restores a stored program.
TEST_F(Menu, StatusNotifierWatcher) {
  Watcher watcher;
  Running r = Launch(kFull, Dir(), std::nullopt,
                     {"DBUS_SESSION_BUS_ADDRESS=" + watcher.address()});
  ASSERT_NE(r.main, 0u);
  std::string name, path;
  ASSERT_TRUE(WaitUntil([&] { return watcher.Item(name, path); }));
  // The panel's menu shows what his own does: the item is there to store him.
  std::string hide;
  EXPECT_TRUE(WaitUntil([&] { return (hide = watcher.MenuItemState("Hide in tray")) == "enabled"; },
                        5000))
      << hide;
  // At rest beside a watcher he costs next to nothing: the indicator must not
  // be given menus round and round.
  const double before = CpuSeconds(r.process.pid);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_LT(CpuSeconds(r.process.pid) - before, 0.1);
  ASSERT_TRUE(ChooseFromMenu(r, ID_TRAY));
  EXPECT_TRUE(WaitUntil([&] { return Stored(r); }));
  EXPECT_EQ(DockedTrayIcon(r.process.pid), 0u) << "no XEmbed icon beside the item";
  ASSERT_TRUE(watcher.CallItem("SecondaryActivate"));
  EXPECT_TRUE(WaitUntil([&] { return Shown(r); }));
  EXPECT_EQ(CloseAndWait(r), 0);
}
