// SetupConfig: the process-wide record of product constants and run-time installation
// parameters. A plain record that every layer may read; the wizard fills it.
#pragma once
#include <cstdint>
#include <string>

#include "support/ProductFacts.h"

enum WizardPage : int32_t {
  wpWelcome = 1,
  wpAgreement = 2,
  wpNotes = 3,
  wpInstallType = 4,
  wpSettings = 5,
  wpProgress = 6,
};

struct SetupConfigRecord {
  int32_t currentPage = wpWelcome;  // 0 after a successful run, -1 after a failed one
  const int32_t lastPage = wpSettings;
  bool cancelRequested = false;
  std::wstring sourceDir;          // folder of the running setup program, ending with "\"
  std::wstring browseInitialPath;  // folder pre-selected by the folder browser
  int64_t requiredBytes = 0;
  std::wstring productRegistryKey;
  std::wstring uninstallDirName;
  std::wstring dataFileName;
  std::wstring startMenuSubPath;
  std::wstring productName;
  std::wstring startMenuDir;
  std::wstring uninstallShortcutName;
  std::wstring websiteShortcutName;
};

// The product constants (support/ProductFacts.h) are assigned by SetProductParameters on each
// move into the settings step.
extern SetupConfigRecord SetupConfig;
