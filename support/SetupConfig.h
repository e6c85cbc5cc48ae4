// SetupConfig: the process-wide record of product constants and run-time installation
// parameters. A plain record that every layer may read; the wizard fills it.
#pragma once
#include <cstdint>
#include <string>

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

// The product constants, assigned by SetProductParameters on each move into the settings step.
namespace product {
inline constexpr int64_t defaultRequiredBytes = 1689255936;  // about 1.57 GiB
inline constexpr const wchar_t* registryKey = L"\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\\\";
inline constexpr const wchar_t* uninstallDirName = L"Uninstall_Drivona2 Ostrauwen V1.2\\";
inline constexpr const wchar_t* dataFileBaseName = L"Ostrauwen_1-2";
inline constexpr const wchar_t* dataFileExtension = L".dat";
inline constexpr const wchar_t* startMenuSubPath = L"Quellmark Media\\Drivona2 Ostrauwen\\";
inline constexpr const wchar_t* name = L"Drivona2 Ostrauwen Version 1.2";
}  // namespace product

extern SetupConfigRecord SetupConfig;

namespace product {
// The publisher notice in the right panel of the status bar.
inline constexpr const wchar_t* publisherNotice = L"\u00A9 2015 Quellmark Media";
// The publisher's web site, the target of the internet shortcut in the Start menu. With its
// scheme: the shell opens an internet shortcut only for an absolute address.
inline constexpr const wchar_t* webAddress = L"https://www.quellmark-media.de";
}  // namespace product
