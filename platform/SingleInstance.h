// One running setup or uninstaller of the product at a time: both hold the same named mutex
// while they run.
#pragma once
#include <windows.h>

#include "platform/Handles.h"

class SingleInstance {
 public:
  // Creates and takes the mutex of that name.
  explicit SingleInstance(const wchar_t* mutexName);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // False when another process holds the mutex already, or it could not be made (for example
  // another account's program holds it and denies access): the caller must not go on.
  bool acquired() const { return mutex_ && acquired_; }

 private:
  unique_handle mutex_;
  bool acquired_ = false;
};
