// Setup.exe /SILENT: the start-up checks and the install run without a window; the outcome is
// the process's exit code (wizard/SetupExitCode.h) and every message a log line.
#pragma once

#include "support/SetupSwitches.h"

int RunSilentSetup(const SetupSwitches& switches);
