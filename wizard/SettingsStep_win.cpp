// The settings step: product values, target and source folder, sizes.
// PLACEHOLDER until the settings step is built: it proposes no folder and checks no archive;
// it only shows the page and lets Next reach the progress step.
#include "support/SetupConfig.h"
#include "wizard/ControlIds.h"
#include "wizard/WizardParts_win.h"
#include "wizard/fSetupMain.h"

void TfmSetupMain::SetProductParameters() {
  SetupConfig.productRegistryKey = product::registryKey;
  SetupConfig.uninstallDirName = product::uninstallDirName;
  SetupConfig.dataFileName = std::wstring(product::dataFileBaseName) + product::dataFileExtension;
  SetupConfig.startMenuSubPath = product::startMenuSubPath;
  SetupConfig.productName = product::name;
}

void TfmSetupMain::CheckSourceFolder(bool reset) {
  if (reset) SetWindowTextString(control(ctl::leSource), SetupConfig.sourceDir);
  EnableWindow(control(ctl::btWeiter), TRUE);
}

void TfmSetupMain::btDestPathClick() {}
void TfmSetupMain::btSourcePathClick() {}

void PrepareShortcutNames() {}

// PLACEHOLDER until the install run is built: installs nothing and says so.
void RunInstall(InstallHost& host) {
  host.setProgressLabel(L"Installiere Addon");
  host.setProgressText(L"");
  host.showResult(false, L"Nichts installiert: der Installationslauf fehlt in diesem Stand.");
  SetupConfig.currentPage = -1;
}
