// One setup or uninstaller of the product at a time: a named mutex held for the whole run.
#pragma once
#include <windows.h>

#include <string>

#include "platform/Handles.h"

// The mutex of that name, owned by the calling thread after waiting up to timeoutMs for it, or
// an empty handle when another process holds it (last error ERROR_ALREADY_EXISTS) or it cannot
// be created (the last error of CreateMutexW). Keep the handle for the whole run.
unique_handle AcquireSingleInstance(const std::wstring& mutexName, DWORD timeoutMs = 0);
