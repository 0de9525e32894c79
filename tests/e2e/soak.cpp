// Keeps the full edition busy for a while, for tools/soak.sh to watch its
// memory: x10, an alarm every 20 seconds, the size changed back and forth,
// stored in the tray and taken out again. Prints what it did, one line per
// event with the seconds since the start; the last line counts the alarms.
//   kurimaro_soak.exe SECONDS
#include <cstdio>
#include <cstdlib>

#include "driver.h"

using namespace e2e;

namespace {

constexpr int kAlarmEvery = 20;

void Say(DWORD start, const char* what, int value = -1) {
  const double t = (GetTickCount() - start) / 1000.0;
  if (value >= 0) std::printf("%7.1f s  %s %d\n", t, what, value);
  else std::printf("%7.1f s  %s\n", t, what);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
  const std::string dir = MakeWorkDir("soak");
  std::vector<int32_t> alarms;
  const int first = SecondOfDay(LocalNow()) + 10;
  for (int t = first; t < first + seconds; t += kAlarmEvery) alarms.push_back(t);
  WriteAlarms(JoinPath(dir, kAlarmName), alarms);
  Conf conf;
  conf.viewscale = 10;
  conf.alerm = 1;
  conf.x = 50;
  conf.y = 50;
  Running app = Launch(kFull, dir, conf);
  if (!app.main) {
    std::printf("no main window\n");
    return 1;
  }
  // The idle outline at every size, to tell an alarm's frames from it.
  Send(app.main, WM_COMMAND, kSizeX1);
  const Outline one = ReadOutline(app.main);
  Send(app.main, WM_COMMAND, kSizeX1 + 9);

  const DWORD start = GetTickCount();
  Say(start, "started at x10, alarms due:", static_cast<int>(alarms.size()));
  int scale = 10;
  Outline idle = Magnify(one, scale);
  bool ringing = false;
  int rang = 0;
  int next_size = 15, next_store = 40, next_restore = -1, restores = 0;
  while (GetTickCount() - start < static_cast<DWORD>(seconds) * 1000) {
    const int t = static_cast<int>((GetTickCount() - start) / 1000);
    if (t >= next_size) {
      scale = scale == 10 ? 4 : 10;
      Send(app.main, WM_COMMAND, kSizeX1 + scale - 1);
      idle = Magnify(one, scale);
      Say(start, "size x", scale);
      next_size += 15;
    }
    if (t >= next_store) {
      Send(app.main, WM_COMMAND, kTray);
      Say(start, "stored in the tray");
      next_store += 40;
      next_restore = t + 5;
    }
    if (next_restore >= 0 && t >= next_restore) {
      // Taken out by the menu and by the icon in turn.
      if (restores++ % 2) Send(app.shadow, WM_COMMAND, kTray);
      else Send(app.shadow, kTrayMessage, kTrayIcon, WM_LBUTTONDBLCLK);
      Say(start, "taken out of the tray");
      next_restore = -1;
    }
    const bool now = ReadOutline(app.main) != idle;
    if (now && !ringing) {
      ++rang;
      Say(start, "alarm rings");
    }
    ringing = now;
    Sleep(250);
  }
  Post(app.main, WM_COMMAND, kExit);
  const int code = WaitForExit(app.process, 15000);
  Say(start, "exit code", code);
  std::printf("alarms rung: %d of %d due\n", rang,
              static_cast<int>((seconds - 10 + kAlarmEvery - 1) / kAlarmEvery));
  return code == 0 ? 0 : 1;
}
