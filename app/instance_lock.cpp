#include "app/instance_lock.h"

#include "app/app_state.h"

bool AcquireInstanceLock() {
  HANDLE existing = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kInstanceLockName);
  if (existing) {
    CloseHandle(existing);
    g_app.instance_lock = nullptr;
    return false;
  }
  g_app.instance_lock = CreateMutexA(nullptr, FALSE, kInstanceLockName);
  return true;
}

void ReleaseInstanceLock() {
  if (g_app.instance_lock) {
    ReleaseMutex(g_app.instance_lock);
    CloseHandle(g_app.instance_lock);
  }
  g_app.instance_lock = nullptr;
}
