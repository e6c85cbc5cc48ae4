#include "platform/SingleInstance.h"

unique_handle AcquireSingleInstance(const std::wstring& mutexName, DWORD timeoutMs) {
  unique_handle mutex(CreateMutexW(nullptr, FALSE, mutexName.c_str()));
  if (!mutex) return {};
  // An abandoned mutex (its owner died) is ours now: that run is over.
  const DWORD wait = WaitForSingleObject(mutex.get(), timeoutMs);
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return {};
  }
  return mutex;
}
