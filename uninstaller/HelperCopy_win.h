// Self-removal: a running program cannot delete its own file. The started uninstall.exe copies
// itself into the temporary folder and runs that working copy, which does all the work, sends
// the outcome back through an inherited pipe, waits for the started program to end, then removes
// the original uninstaller and the backup folder and registers its own file for removal at the
// next restart (MOVEFILE_DELAY_UNTIL_REBOOT). The started program returns the copy's outcome.
#pragma once
#include <string>

#include "uninstaller/UninstallOptions.h"

// The started program's side: copy, start, wait for the outcome. options.journal names the
// journal to undo; the copy gets ownFolder as its origin. Returns the exit code.
int RunWorkingCopy(UninstallOptions options, const std::wstring& ownFolder);

// The working copy's side.
class WorkingCopy {
 public:
  explicit WorkingCopy(const UninstallOptions& options);
  ~WorkingCopy();
  WorkingCopy(const WorkingCopy&) = delete;
  WorkingCopy& operator=(const WorkingCopy&) = delete;

  // Sends the exit code to the started program (once); it returns with it.
  void ReportOutcome(int code);
  // Waits (bounded) until the started program has ended, so its file can be removed.
  void WaitForStartedProgram();
  // Registers this program's own file for removal at the next restart.
  static bool RemoveSelfAtRestart();

 private:
  void* result = nullptr;  // the pipe's write end
  void* parent = nullptr;  // the started program, for waiting
};
