// The folder browser's callback, for the Windows build only.
#pragma once
#include <windows.h>

// On BFFM_INITIALIZED pre-selects SetupConfig.browseInitialPath; always returns 0.
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM argument, LPARAM callerData);
