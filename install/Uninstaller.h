// The uninstaller stage: copies uninstall.exe from the setup program's folder into the backup
// folder and registers it in the Windows list of installed programs (HKLM, 32-bit view).
#pragma once
#include "install/InstallRun.h"

#ifdef _WIN32
// True when the uninstaller was copied (its registration was then attempted, whatever the
// registry answered); false, with one "ErrorCopyUninstall;" record, when the copy failed.
// Processes pending window messages once on every way out.
bool InstallUninstaller(const InstallRun& run);
#endif
