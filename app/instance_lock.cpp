#include "app/instance_lock.h"

#include "app/app_win.h"

bool AcquireInstanceLock() {
  HANDLE existing = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kInstanceLockName);
  if (existing) {
    CloseHandle(existing);
    g_win.instance_lock = nullptr;
    return false;
  }
  g_win.instance_lock = CreateMutexA(nullptr, FALSE, kInstanceLockName);
  return true;
}

void ReleaseInstanceLock() {
  if (g_win.instance_lock) {
    ReleaseMutex(g_win.instance_lock);
    CloseHandle(g_win.instance_lock);
  }
  g_win.instance_lock = nullptr;
}
