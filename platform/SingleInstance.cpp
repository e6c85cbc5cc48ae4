#include "platform/SingleInstance.h"

SingleInstance::SingleInstance(const wchar_t* mutexName) : mutex_(CreateMutexW(nullptr, TRUE, mutexName)) {
  // A mutex that existed already is not owned by this call, whatever the initial-owner flag says.
  acquired_ = mutex_ && GetLastError() != ERROR_ALREADY_EXISTS;
}

SingleInstance::~SingleInstance() {
  if (acquired()) ReleaseMutex(mutex_.get());
}
