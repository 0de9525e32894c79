#include "win32/instance_lock.h"

#include "win32/names_win.h"

bool AcquireInstanceLock(HANDLE& lock) {
  // SYNCHRONIZE is all a probe needs: a copy running elevated, or under
  // another account, grants no more, and asking for MUTEX_ALL_ACCESS would
  // fail there as if nobody held the lock.
  HANDLE existing = OpenMutexA(SYNCHRONIZE, FALSE, kInstanceLockName);
  if (existing) {
    CloseHandle(existing);
    lock = nullptr;
    return false;
  }
  // Two copies started at the same moment can both miss the probe; the one
  // whose creation finds the mutex already there gives way. No handle at all
  // means the name is taken by an object we may not open (access denied, or
  // another kind of object of that name): someone else holds it.
  HANDLE created = CreateMutexA(nullptr, FALSE, kInstanceLockName);
  if (!created) return false;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(created);
    return false;
  }
  lock = created;
  return true;
}

void ReleaseInstanceLock(HANDLE& lock) {
  if (lock) {
    ReleaseMutex(lock);
    CloseHandle(lock);
  }
  lock = nullptr;
}
