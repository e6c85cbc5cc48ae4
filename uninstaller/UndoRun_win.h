// Undoing one installation: read the journal, check it, carry out the plan step by step with
// the state found on disk, rewrite the journal with what is left, show the outcome.
#pragma once
#include <string>
#include <vector>

#include "uninstaller/ExitCode.h"

class ProgressWindow;

struct UndoRequest {
  std::wstring journalFile;  // uninstall.dat (it or its lossless copy may be missing)
  std::wstring origin;       // folder of the started uninstall.exe, ends with "\"
  bool silent = false;
  ProgressWindow* window = nullptr;  // null with /S
};

struct UndoOutcome {
  ExitCode code = ExitCode::AllUndone;
  std::wstring message;  // the outcome box's text
  // Removed only after the started program has ended: its own file, then the backup folder.
  std::vector<std::wstring> afterExit;
};

UndoOutcome UndoInstallation(const UndoRequest& request);

// Removes what UndoInstallation left for after the started program's end (files, then empty
// folders, each checked again on its opened handle). Logs what stays.
void RemoveAfterExit(const std::vector<std::wstring>& paths);
