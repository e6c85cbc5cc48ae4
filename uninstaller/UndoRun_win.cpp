#include "uninstaller/UndoRun_win.h"

#include "uninstaller/SafeFiles_win.h"
#include "uninstaller/UninstallTexts.h"

UndoOutcome UndoInstallation(const UndoRequest&) {
  UndoOutcome outcome;
  outcome.code = ExitCode::JournalRefused;
  outcome.message = texts::Refused(L"");
  return outcome;
}

void RemoveAfterExit(const std::vector<std::wstring>&) {}
