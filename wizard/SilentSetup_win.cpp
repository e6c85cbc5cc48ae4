#include "wizard/SilentSetup.h"

#include <windows.h>

#include "install/InstallHost.h"
#include "install/MyCreateShortCut.h"
#include "install/ZipMaster.h"
#include "install/uSetupInstall.h"
#include "platform/FileExistence.h"
#include "platform/ProgramPath.h"
#include "platform/Pump.h"
#include "platform/SingleInstance.h"
#include "support/DebugLog.h"
#include "support/FileHelpers.h"
#include "support/Language.h"
#include "support/Privilegien.h"
#include "support/SetupConfig.h"
#include "support/SetupError.h"
#include "support/TargetProposal.h"
#include "support/TextFormat.h"
#include "wizard/SettingsRules.h"
#include "wizard/SetupExitCode.h"
#include "wizard/WizardParts_win.h"

namespace {

// A box's text as one log line: its line breaks become blanks.
std::wstring OneLine(std::wstring text) {
  for (wchar_t& c : text)
    if (c == L'\r' || c == L'\n') c = L' ';
  return text;
}

// What the wizard would show in a box becomes a log line.
void Report(const std::wstring& text) { LogProc(3, L"Setup /SILENT: " + OneLine(text)); }

int Ended(SetupExitCode code, const std::wstring& why) {
  LogProc(5, L"Setup Ende [" + std::to_wstring(ToInt(code)) + L", " + why + L"]");
  return ToInt(code);
}

// The install run's host without a window: progress texts go to the log, nothing cancels, and
// the archive component reports into the log only.
class SilentHost : public InstallHost {
 public:
  SilentHost() { zip.setUnattended(true); }
  void setProgressLabel(const std::wstring& text) override { LogProc(9, text); }
  void setProgressText(const std::wstring& text) override {
    if (!text.empty()) LogProc(9, text);
  }
  void setProgressPosition(int) override {}
  bool cancelRequested() override { return false; }
  void pumpMessages() override { PumpMessagesNowAndThen(); }  // the apartment's own messages
  TZipMaster& archive() override { return zip; }
  void showMessage(const std::wstring& text) override { Report(text); }

 private:
  TZipMaster zip;
};

std::wstring ErrorMessage(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const SetupError& e) {
    return e.message();
  } catch (const std::exception& e) {
    const std::string what = e.what();
    return std::wstring(what.begin(), what.end());
  } catch (...) {
  }
  return L"?";
}

int RunChecked(const SetupSwitches& switches) {
  // The window's creation and first activation, without the window.
  InitSetupEnvironment();
  if (!switches.error.empty()) {
    Report(L"unbekannter oder ungültiger Parameter " + switches.error);
    return Ended(SetupExitCode::BadSwitches, L"bad switch");
  }
  LoadLanguageBlock(ProgramFileName(), LngStrings, true, true);
  if (GetNewPrivileges(31) != 0) {
    Report(GetLngString(32, L"Keine ausreichende Rechte zum Ausführen des Setups!\\\\Bitte mit "
                            L"Administrator Rechten erneut ausführen."));
    return Ended(SetupExitCode::NotElevated, L"no administrator rights");
  }
  const unique_handle single = AcquireSingleInstance(product::singleInstanceMutex);
  if (!single) {
    Report(L"ein anderes Setup oder Deinstallationsprogramm läuft");
    return Ended(SetupExitCode::AlreadyRunning, L"another setup or uninstaller runs");
  }

  // The settings step's parameters: product values, target, source, sizes, shortcut names.
  SetProductValues();
  InstallRequest request;
  if (!switches.targetDir.empty()) {
    request.targetFolder = DestinationAfterBrowse(L"", switches.targetDir);
  } else {
    const TargetProposal proposal = ProposeTarget(product::hostLocationValue, product::defaultTargetSubPath, L"");
    if (!proposal.gameFound) {
      Report(L"Drivona 2 nicht gefunden (weder in der Liste der installierten Programme noch in einer Steam-Bibliothek) und /DIR fehlt");
      return Ended(SetupExitCode::GameNotFound, L"game not found");
    }
    request.targetFolder = proposal.folder;
  }
  request.sourceFolder = SetupConfig.sourceDir;
  request.saveFiles = !switches.noBackup;
  LogProc(9, L"Ziel: " + request.targetFolder + L", Quelle: " + request.sourceFolder +
                 (request.saveFiles ? L", mit Sicherung" : L", ohne Sicherung"));

  const std::wstring dataFile = request.sourceFolder + SetupConfig.dataFileName;
  if (!FileExists(dataFile)) {
    Report(GetLngString(31, L"Installations-Datei nicht gefunden!\\\\Bitte richtiges Verzeichnis auswählen."));
    return Ended(SetupExitCode::DataFileMissing, L"data file missing");
  }

  SilentHost host;
  // The required size is listed from the data file beside the setup, whatever the current folder.
  host.archive().setZipFileName(dataFile);
  host.archive().setUseDirOnlyEntries(true);
  int64_t total = 0;
  for (int i = 0; i < host.archive().Count(); ++i) total += host.archive().DirEntry(i).UncompressedSize;
  if (total != 0) SetupConfig.requiredBytes = total;
  const int64_t freeBytes = FreeBytesFor(request.targetFolder);
  if (!EnoughSpace(SetupConfig.requiredBytes, freeBytes)) {
    Report(FormatStr(L"zu wenig Platz auf dem Ziellaufwerk: benötigt %s, frei %s",
                     {FormatByteSize(0, 0, static_cast<double>(SetupConfig.requiredBytes)),
                      FormatByteSize(0, 0, static_cast<double>(freeBytes))}));
    return Ended(SetupExitCode::TooLittleSpace, L"too little space");
  }
  PrepareShortcutNames();

  SetupConfig.currentPage = wpProgress;
  SetupConfig.cancelRequested = false;
  const InstallResult result = InstallAddon(host, request);
  SetupConfig.currentPage = result.success ? 0 : -1;
  if (result.error) Report(ErrorMessage(result.error));
  const SetupExitCode code = ExitCodeFor(result);
  return Ended(code, code == SetupExitCode::Installed ? L"installed" : L"failed");
}

}  // namespace

int RunSilentSetup(const SetupSwitches& switches) {
  LogProc(5, L"Setup Start [/SILENT]");
  try {
    return RunChecked(switches);
  } catch (...) {
    Report(ErrorMessage(std::current_exception()));
    return Ended(SetupExitCode::RaisedError, L"error raised");
  }
}
