#pragma once

// Calls handler when the X connection breaks (the session ended or the
// server went away); the handler must end the process without X calls.
void WhenDisplayLost(void (*handler)());
