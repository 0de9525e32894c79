#pragma once

// Whether a system tray (an XEmbed tray host) runs on the default screen now.
bool TrayHostPresent();
// Calls arrived once, when a system tray starts on the default screen; a
// tray already running is not told of. Stops with StopWatchingForTrayHost.
void WatchForTrayHost(void (*arrived)(void*), void* data);
void StopWatchingForTrayHost();
