#pragma once

// A system-wide named lock shared by both editions: whichever starts first
// holds it, and every later start of either edition refuses to run.
#include <windows.h>

// lock holds the lock's handle while it is held.
bool AcquireInstanceLock(HANDLE& lock);
void ReleaseInstanceLock(HANDLE& lock);
