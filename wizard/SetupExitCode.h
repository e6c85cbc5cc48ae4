// Exit codes of the unattended setup (/SILENT). The README lists the same table; scripts rely on
// the values. Codes with the same meaning in the uninstaller have its numbers (6, 7, 8).
#pragma once

#include "install/InstallRequest.h"

enum class SetupExitCode : int {
  Installed = 0,
  GameNotFound = 1,      // no /DIR and the host application is not registered: nothing installed
  DataFileMissing = 2,   // the data file is not beside Setup.exe: nothing installed
  TooLittleSpace = 3,    // the target drive has less free space than the add-on needs: nothing installed
  ExtractionFailed = 4,  // the archive could not be read or an entry not installed (journal saved)
  StageFailed = 5,       // the uninstaller, shortcut or registry stage did not complete (journal saved)
  NotElevated = 6,       // no administrator rights: nothing installed
  AlreadyRunning = 7,    // another setup or uninstaller of this product is running: nothing installed
  BadSwitches = 8,       // an unknown, malformed or repeated switch: nothing installed
  JournalNotSaved = 9,   // uninstall.dat could not be written
  RaisedError = 10,      // an error raised on the way ended the run (journal saved)
};

inline int ToInt(SetupExitCode code) { return static_cast<int>(code); }

// The code for an install run's result. A journal that could not be saved outweighs every other
// outcome: without it nothing can be undone.
SetupExitCode ExitCodeFor(const InstallResult& result);
