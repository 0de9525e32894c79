#include "win32/instance_lock.h"

#include "win32/app_win.h"

bool AcquireInstanceLock() {
  HANDLE existing = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kInstanceLockName);
  if (existing) {
    CloseHandle(existing);
    g_win.instance_lock = nullptr;
    return false;
  }
  // Two copies started at the same moment can both miss the probe; the one
  // whose creation finds the mutex already there gives way.
  HANDLE created = CreateMutexA(nullptr, FALSE, kInstanceLockName);
  if (created && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(created);
    return false;
  }
  g_win.instance_lock = created;
  return true;
}

void ReleaseInstanceLock() {
  if (g_win.instance_lock) {
    ReleaseMutex(g_win.instance_lock);
    CloseHandle(g_win.instance_lock);
  }
  g_win.instance_lock = nullptr;
}
