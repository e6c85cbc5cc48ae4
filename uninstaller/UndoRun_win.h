// Undoing one installation: read the journal, check it, carry out the plan step by step with
// the state found on disk, rewrite the journal with what is left, and say what happened.
#pragma once
#include <string>
#include <vector>

#include "uninstaller/ExitCode.h"
#include "uninstaller/UndoPlan.h"

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
  // Carried out only after the started program has ended: its own file, then the folders.
  std::vector<UndoStep> afterExit;
};

UndoOutcome UndoInstallation(const UndoRequest& request);

// Carries out the steps UndoInstallation left for after the started program's end, each
// checked again on its opened handle. Logs what stays.
void RemoveAfterExit(const std::vector<UndoStep>& steps);
