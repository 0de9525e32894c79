#pragma once

// A system-wide named lock shared by both editions: whichever starts first
// holds it, and every later start of either edition refuses to run.
bool AcquireInstanceLock();
void ReleaseInstanceLock();
