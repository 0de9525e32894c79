#pragma once

// Listens for logind's end of a sleep on the system bus and lets the rules
// see to the clock and the alarms then; without a system bus nothing happens.
struct App;
void WatchForResume(App& app);
