// What one install run hands its stages (uninstaller, shortcuts): the folders as read at its
// start, its journal and its way of processing pending window messages.
#pragma once
#include <functional>
#include <string>

#include "install/UninstallJournal.h"

struct InstallRun {
  std::wstring targetFolder;      // LeDestination as read at the start, ends with "\"
  std::wstring uninstallDirName;  // the run's copy of SetupConfig.uninstallDirName
  std::wstring setupFolder;       // folder of the running setup program, ends with "\"
  UninstallJournal& journal;
  std::function<void()> pumpMessages;

  void Pump() const {
    if (pumpMessages) pumpMessages();
  }
};

// Processes pending window messages once when a stage is left, also when an error leaves it.
class PumpOnExit {
 public:
  explicit PumpOnExit(const InstallRun& run) : run(run) {}
  ~PumpOnExit() { run.Pump(); }
  PumpOnExit(const PumpOnExit&) = delete;
  PumpOnExit& operator=(const PumpOnExit&) = delete;

 private:
  const InstallRun& run;
};
