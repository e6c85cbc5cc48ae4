// The settings step: product values, the proposed target and source folder, required and free
// space, and the folder browsers.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <utility>

#include "install/ZipMaster.h"
#include "install/uSetupInstall.h"
#include "platform/FileExistence.h"
#include "platform/MessageBoxes.h"
#include "platform/Pump.h"
#include "support/FileHelpers.h"
#include "support/Language.h"
#include "support/MyRegistryIO.h"
#include "support/SetupConfig.h"
#include "support/TargetProposal.h"
#include "support/TextFormat.h"
#include "wizard/ControlIds.h"
#include "wizard/SettingsRules.h"
#include "wizard/WizardParts_win.h"
#include "wizard/fSetupMain.h"

void TfmSetupMain::SetProductParameters() {
  SetDestination(product::hostLocationValue, product::defaultTargetSubPath);
  SetProductValues();
  SetFreeSpace(GetWindowTextString(control(ctl::LeDestination)));
  EnableWindow(control(ctl::btWeiter), TRUE);
}

void TfmSetupMain::SetDestination(const std::wstring& valueName, const std::wstring& progAdd) {
  HWND dest = control(ctl::LeDestination);
  SetWindowTextString(dest, ProposeTargetFolder(valueName, progAdd, GetWindowTextString(dest)));
}

void TfmSetupMain::SetFreeSpace(const std::wstring& drive) {
  TZipMaster& zip = *zipMaster;
  int64_t total = 0;
  std::wstring report;
  {
    // Setting the name and the directory-entry option each read the archive's listing; without
    // pumping: the step's own input waits until its figures are there.
    CursorGuard hourglass;
    const std::function<void()> pump = std::exchange(zip.pumpMessages, nullptr);
    zip.setZipFileName(SetupConfig.dataFileName);
    if (zip.ErrCode() != 0 && !zip.Unattended()) report = zip.ErrMessage();
    zip.setUseDirOnlyEntries(true);
    zip.setExtrBaseDir(drive);
    zip.FSpecArgs().push_back(L"*.*");
    for (int i = 0; i < zip.Count(); ++i) total += zip.DirEntry(i).UncompressedSize;
    zip.pumpMessages = pump;
  }
  // The component's report, before any box of the settings step.
  if (!report.empty()) showArchiveMessage(report);
  if (total != 0) SetupConfig.requiredBytes = total;
  SetWindowTextString(control(ctl::leBenoetigt), FormatByteSize(0, 0, static_cast<double>(SetupConfig.requiredBytes)));

  const int64_t freeBytes = FreeBytesFor(drive);
  SetWindowTextString(control(ctl::leFrei), FormatByteSize(0, 0, static_cast<double>(freeBytes)));
  setBackground(ctl::leFrei, EnoughSpace(SetupConfig.requiredBytes, freeBytes) ? RGB(0, 255, 0) : RGB(255, 0, 0));
}

void TfmSetupMain::CheckSourceFolder(bool reset) {
  HWND source = control(ctl::leSource);
  if (reset) SetWindowTextString(source, SetupConfig.sourceDir);
  const bool found = FileExists(GetWindowTextString(source) + SetupConfig.dataFileName);
  EnableWindow(control(ctl::btWeiter), found);
  if (found) {
    setBackground(ctl::leSource, RGB(255, 255, 255));
  } else {
    ErrorBox(fHandle, GetLngString(31, L"Installations-Datei nicht gefunden!\\\\Bitte richtiges Verzeichnis auswählen."));
    setBackground(ctl::leSource, RGB(255, 0, 0));
  }
  InvalidateRect(source, nullptr, TRUE);
  PumpMessages();
}

void TfmSetupMain::btDestPathClick() {
  const std::wstring title = FormatStr(GetLngString(34, L"Ziel für (%s) suchen:"), {SetupConfig.productName});
  HWND dest = control(ctl::LeDestination);
  const std::wstring chosen = BrowseForFolder(fHandle, title, GetWindowTextString(dest), true);
  SetWindowTextString(dest, DestinationAfterBrowse(GetWindowTextString(dest), chosen));
  SetFreeSpace(GetWindowTextString(dest));
}

void TfmSetupMain::btSourcePathClick() {
  const std::wstring title = FormatStr(GetLngString(35, L"Quelle (%s) suchen:"), {SetupConfig.dataFileName});
  HWND source = control(ctl::leSource);
  const std::wstring chosen = BrowseForFolder(fHandle, title, GetWindowTextString(source), true);
  if (!chosen.empty()) SetWindowTextString(source, WithTrailingBackslash(chosen));
  CheckSourceFolder(false);
}

// PrepareShortcutNames comes from the shortcut stage (install/MyCreateShortCut).

// The install run of the installation engine.
InstallResult RunInstall(InstallHost& host, const InstallRequest& request) { return InstallAddon(host, request); }
