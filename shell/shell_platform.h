#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "behaviour/behaviour_platform.h"
#include "render/paint.h"
#include "render/region.h"
#include "render/surface.h"
#include "settings/settings.h"

#include "shell/menu_state.h"
#include "shell/texts.h"

// The character's window and the shadow's. A system that draws the shadow in
// the character's own window has only the first; Shadow then still names the
// program as a whole where the tray reaches it (its menu, its activation).
enum class AppWindow { Main, Shadow };

// What the shell's rules ask of the window system, beyond what the behaviour
// asks: the one way from the rules to the system. What the system tells
// comes back through the events of shell/events.h. Rectangles are in screen
// pixels; ScreenRect's width and height are the window's size.
struct ShellPlatform : BehaviourPlatform {
  // One of the three bitmaps the program is drawn from (resources/resource_ids.h).
  virtual ByteView Bitmap(int resource_id) = 0;
  // Makes the character's window, hidden, at main, with the shadow at
  // shadow; false when the system refused.
  virtual bool CreateWindows(const ScreenRect& main, const ScreenRect& shadow) = 0;
  virtual ScreenRect WindowBounds(AppWindow window) = 0;
  virtual void PlaceWindow(AppWindow window, const ScreenRect& bounds, bool repaint) = 0;
  // Gives the window a copy of region of its own (window pixels).
  virtual void ApplyRegion(AppWindow window, const Region& region, bool redraw) = 0;

  // The drop shadow: the character's outline (window pixels) standing at
  // at, drawn now; black, blended to half where the system can blend. Each
  // system keeps it under the character its own way: in a window of its own
  // that the system stacks under the character's, or in the character's own
  // window, which no window manager can stack apart. It never takes a click.
  virtual void ShapeShadow(const Region& outline, const ScreenRect& at) = 0;
  // The shadow follows the character to at.
  virtual void PlaceShadow(const ScreenRect& at) = 0;
  // Shows or hides the shadow without taking the activation.
  virtual void ShowShadow(bool shown) = 0;

  // Periodic timers of the main window, by id.
  virtual void StartTimer(uint32_t id, uint32_t interval_ms) = 0;
  virtual void StopTimer(uint32_t id) = 0;
  // The main window's next wake: the frame timer once, delay ms from now, in
  // place of the wake armed before. The system may make it up to tolerance
  // ms late, to wake the processor once for several programs.
  virtual void ArmWake(uint32_t delay_ms, uint32_t tolerance_ms) = 0;

  // Mouse moves keep arriving outside the window while captured.
  virtual void CaptureMouse() = 0;
  virtual void ReleaseMouse() = 0;
  virtual ScreenPoint CursorPosition() = 0;
  // Starts or stops watching for the pointer's first move anywhere on the
  // screen, told through PointerMoved; false where the system cannot, and a
  // pointer at rest is then read on a beat.
  virtual bool WatchPointer(bool on) = 0;

  virtual LocalTime LocalNow() = 0;
  virtual ScreenRect VirtualScreen() = 0;
  // The monitors as last read; empty where the system tells of none.
  virtual std::vector<Monitor> Monitors() = 0;

  // The area of the picture (its own pixels, at scale 1) enlarged scale
  // times, to the same place of the main window. The program keeps no
  // enlarged picture: at x10 it would be megabytes for a few changed pixels.
  virtual void ShowPicture(const Surface& picture, int32_t scale, const PixelBox& area) = 0;
  // Ends the program the one orderly way, whatever menu or box is open.
  virtual void CloseProgram() = 0;

  // Shows or hides the window without taking the activation.
  virtual void ShowWindowNow(AppWindow window, bool shown) = 0;
  // Another application's window fills the whole monitor the character
  // stands on and has the foreground, as the taskbar judges where the system
  // tells. The desktop, the taskbar's own windows and a maximised window with
  // a title bar (which leaves the taskbar) do not count. FullScreenInFront
  // (shell/windows.h) is the rule over what a system reports.
  virtual bool FullScreenAppInFront() = 0;
  // Stores the program in the tray: both windows leave the screen and the
  // taskbar, the tray icon stays, timers and alarms go on. A system with a
  // notion of minimising does it there, so that the windows come back as
  // they were; nothing of the program may stay visible.
  virtual void StoreWindows() = 0;
  // Undoes StoreWindows but shows nothing, not even for a moment: the shell
  // shows each window itself afterwards, as the settings say, and makes the
  // character active.
  virtual void RestoreWindows() = 0;
  virtual void BringToFront(AppWindow window) = 0;
  // Puts the program's icon in the tray (again); false when the tray host
  // refused it or there is none.
  virtual bool AddTrayIcon() = 0;
  // True where the system itself tells when a tray host comes (through
  // TrayHostRestarted), so that a refused icon need not be asked for again.
  virtual bool TellsOfTrayHost() = 0;
  // The character and its shadow in or out of the topmost band.
  virtual void ApplyTopmost(bool topmost) = 0;

  // The context menu in the language at the cursor with the items set as
  // given, owned by the window; a chosen command comes back later through
  // MenuChosen.
  virtual void TrackMenu(AppWindow owner, Language language,
                         const std::vector<MenuItemState>& items) = 0;
  // The open-file dialog for a WAVE file with that title (UTF-8), starting
  // at path; true when the user chose one, which is then in path (size bytes
  // with the terminator).
  virtual bool ChooseWaveFile(const char* title, char* path, uint32_t size) = 0;
  virtual void ShowAbout() = 0;
  // Opens a document with the application the user has for it.
  virtual void OpenDocument(const char* path, const char* directory) = 0;
  // Whether the system starts this program at login; making it start there,
  // in the program's directory, or not.
  virtual bool StartsAtLogin() = 0;
  virtual void SetStartAtLogin(bool on, const std::string& start_dir) = 0;
};
