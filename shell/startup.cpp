#include "shell/startup.h"

#include "behaviour/alarm_check.h"
#include "behaviour/alarm_list.h"
#include "render/sprites.h"
#include "resources/resource_ids.h"
#include "settings/atomic_file.h"
#include "shell/shell_platform.h"
#include "shell/tray.h"
#include "shell/windows.h"

bool StartApp(App& app) {
  ShellPlatform& platform = app.platform;
  // The blinks differ from run to run as the start time does.
  app.behaviour.random_seed = platform.TickCount();
  const ByteView atlas = platform.Bitmap(IDB_GLYPH_ATLAS);
  const ByteView sheet = platform.Bitmap(IDB_CHARACTER_SHEET);
  const ByteView bubble = platform.Bitmap(IDB_BUBBLE_IMAGE);
  if (!LoadSprites(app.sprites, atlas, sheet, bubble)) return false;
  const std::string alarms = JoinStartDir(app.start_dir.c_str(), kAlarmFileName);
  CreateFileIfMissing(alarms.c_str());
  LoadAlarmList(app.behaviour, alarms.c_str(), platform);
  const LocalTime time = platform.LocalNow();
  StartAlarmCheck(app.behaviour,
                  {time.year, time.month, time.day, SecondOfDay(time), time.utc_offset},
                  platform.TickCount());

  const ScreenRect screen = platform.VirtualScreen();
  app.screen_width = screen.width;
  app.screen_height = screen.height;
  const std::string settings = JoinStartDir(app.start_dir.c_str(), kSettingsFileName);
  // A save the last run was killed in left its temporary file; the lock is ours now.
  RemoveStaleTemporaries(settings.c_str());
  const ScreenPoint stored = LoadSettings(app.settings, settings.c_str(), app.edition, screen);
  if (!RescaleSprites(app.sprites, app.settings.scale)) return false;
  const ScreenPoint at =
      PlaceOnMonitors(platform.Monitors(), WindowAt(stored, app.settings.scale));
  const ScreenRect main = WindowAt(at, app.settings.scale);
  const ScreenRect shadow = ShadowBounds(app, main);
  if (!platform.CreateWindows(main, shadow)) return false;

  platform.ShapeShadow(app.sprites.frame_regions[0], shadow);
  platform.ApplyRegion(AppWindow::Main, app.sprites.frame_regions[0], true);
  app.shaped_pose = 0;
  // The first wake arms the ones after it.
  platform.StartTimer(TIMER_FRAME, kFrameInterval);
  AddTrayIcon(app);
  platform.ApplyTopmost(app.settings.topmost);
  ShowAsStored(app);
  return true;
}
