#include "uninstaller/UninstallMain_win.h"

#include <windows.h>

#include "platform/CommandLine.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramPath.h"
#include "platform/SingleInstance.h"
#include "support/DebugLog.h"
#include "support/ErrorText.h"
#include "support/FileHelpers.h"
#include "support/Language.h"
#include "support/Privilegien.h"
#include "support/ProductFacts.h"
#include "uninstaller/FindJournal_win.h"
#include "uninstaller/HelperCopy_win.h"
#include "support/LogFile_win.h"
#include "uninstaller/ProgressWindow_win.h"
#include "uninstaller/UndoRun_win.h"
#include "uninstaller/UninstallTexts.h"

namespace {
void Tell(const UninstallOptions& options, const std::wstring& text) {
  if (!options.silent) PlainMessageBox(nullptr, texts::Title(), text);
}

ExitCode Ended(ExitCode code, const std::wstring& why) {
  LogProc(5, L"uninstall Ende [" + std::to_wstring(ToInt(code)) + L", " + why + L"]");
  return code;
}

// The started program: checks, finds the journal, asks, then lets the working copy do the work.
int RunStarted(UninstallOptions options) {
  if (GetNewPrivileges(31) != 0) {
    Tell(options, texts::NotElevated());
    return ToInt(Ended(ExitCode::NotElevated, L"no administrator rights"));
  }
  const unique_handle single = AcquireSingleInstance(product::singleInstanceMutex);
  if (!single) {
    Tell(options, texts::AlreadyRunning());
    return ToInt(Ended(ExitCode::AlreadyRunning, L"another setup or uninstaller runs"));
  }
  const std::wstring ownFolder = SourceDirFromProgramPath(ProgramFileName());
  std::wstring journal = FindJournal(options, ownFolder);
  if (journal.empty() && !options.silent && options.journal.empty()) {
    const std::wstring chosen = BrowseForFolder(nullptr, texts::ChooseFolder(), ProposedTarget(), false);
    if (chosen.empty()) return ToInt(Ended(ExitCode::Declined, L"no folder chosen"));
    journal = JournalInFolder(chosen);
  }
  if (journal.empty()) {
    Tell(options, texts::NoJournal());
    return ToInt(Ended(ExitCode::NoJournal, L"no journal"));
  }
  LogProc(5, L"Protokoll: " + journal);
  if (!options.silent && YesNoBox(nullptr, texts::Title(), texts::Confirm()) != BoxAnswer::Yes)
    return ToInt(Ended(ExitCode::Declined, L"declined"));

  options.journal = journal;
  const int code = RunWorkingCopy(options, ownFolder);
  if (code == ToInt(ExitCode::HelperFailed)) Tell(options, texts::HelperFailed());
  return code;
}

// The working copy in the temporary folder: the work, the outcome, the removal of the origin.
int RunWorkingCopyPart(const UninstallOptions& options) {
  WorkingCopy copy(options);
  // Without a started program waiting (started by hand) the copy guards the run itself.
  unique_handle single;
  if (!options.parentProcessId) {
    single = AcquireSingleInstance(product::singleInstanceMutex);
    if (!single) {
      Tell(options, texts::AlreadyRunning());
      return ToInt(Ended(ExitCode::AlreadyRunning, L"another setup or uninstaller runs"));
    }
  }
  ProgressWindow window;
  if (!options.silent) window.Create(texts::Title(), texts::Removing());
  UndoRequest request{options.journal, options.origin, options.silent, options.silent ? nullptr : &window};
  UndoOutcome outcome = UndoInstallation(request);
  if (!options.silent) {
    ShowWindow(window.handle(), SW_HIDE);
    PlainMessageBox(nullptr, texts::Title(), outcome.message);
  }
  Ended(outcome.code, outcome.message);
  copy.ReportOutcome(ToInt(outcome.code));

  if (!outcome.afterExit.empty()) {
    copy.WaitForStartedProgram();
    // The started program has ended; hold the mutex while its folder goes.
    if (!single) single = AcquireSingleInstance(product::singleInstanceMutex, 5000);
    RemoveAfterExit(outcome.afterExit);
  }
  WorkingCopy::RemoveSelfAtRestart();
  return ToInt(outcome.code);
}
}  // namespace

int RunUninstaller() {
  CheckDebugParam();
  LoadLanguageBlock(ProgramFileName(), LngStrings, true, true);
  const std::vector<std::wstring> args = ProgramArguments();
  std::wstring bad;
  const std::optional<UninstallOptions> parsed = ParseUninstallOptions(args, bad);
  if (!parsed) {
    LogProc(3, L"uninstall: unbekannter Parameter " + bad);
    bool silent = false;
    for (const std::wstring& a : args) silent = silent || a == L"/S" || a == L"/s";
    if (!silent) PlainMessageBox(nullptr, texts::Title(), texts::BadSwitch(bad));
    return ToInt(ExitCode::BadCommandLine);
  }
  if (!parsed->logFile.empty() && !StartLogFile(parsed->logFile))
    LogProc(3, L"Logdatei " + parsed->logFile + L" : " + LastErrorText(true));
  LogProc(5, std::wstring(L"uninstall Start [") + (parsed->helper() ? L"Arbeitskopie" : L"gestartet") + L"]");
  return parsed->helper() ? RunWorkingCopyPart(*parsed) : RunStarted(*parsed);
}
