#include "install/uSetupInstall.h"

#include <windows.h>
#include <objbase.h>

#include <optional>

#include "install/CreateDirWithJournal.h"
#include "platform/FileExistence.h"
#include "install/InstallHost.h"
#include "install/InstallRules.h"
#include "install/JournalFile_win.h"
#include "install/MyCreateShortCut.h"
#include "install/Uninstaller.h"
#include "install/ZipEntryName.h"
#include "install/ZipMaster.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramPath.h"
#include "support/DebugLog.h"
#include "support/FileHelpers.h"
#include "support/Language.h"
#include "support/MyEXEInfoIO.h"
#include "support/MyRegistryIO.h"
#include "support/SetupConfig.h"
#include "support/Win_Version.h"

namespace {

// The plain box with an OK button, titled with the application's title: the window shows the
// archive component's messages that way.
void ShowMessage(InstallHost& host, const std::wstring& text) {
  TZipMaster& zip = host.archive();
  if (zip.showMessage) {
    zip.showMessage(text);
    return;
  }
  PlainMessageBox(GetActiveWindow(), L"", text);
}

// The journal's header, the backup folder and the archive's entries. False when an extraction
// failed (or an entry could not be dealt with safely).
bool ExtractArchive(InstallHost& host, const InstallRun& run, const std::wstring& dataFile,
                    const std::wstring& backupFolder, const std::wstring& setupProgram, bool saveFiles) {
  UninstallJournal& journal = run.journal;
  journal.Append(JournalProgramLine(SetupConfig.productName, GetExeFileVersion(L"0409", false),
                                    GetWindowsVersionsStr(true, true)));
  journal.Append(JournalSourceLine(setupProgram));
  journal.Append(JournalDestinationLine(backupFolder));
  CreateDirWithJournal(backupFolder, &journal);

  TZipMaster& zip = host.archive();
  zip.setZipFileName(dataFile);
  const int openError = zip.ErrCode();
  zip.setExtrOptions(zip.ExtrOptions() + ExtrOverWrite);
  zip.setUseDirOnlyEntries(true);
  zip.setPassword(kArchivePassword);
  if (openError != 0) {
    // The file is there but is no readable archive: nothing was installed, so no success.
    journal.Append(ZipErrorRecord(static_cast<uint32_t>(openError), dataFile));
    return false;
  }

  const std::wstring& target = run.targetFolder;
  const int count = zip.Count();
  for (int i = 0; i < count; ++i) {
    zip.FSpecArgs().clear();
    zip.setExtrBaseDir(target);
    const std::wstring name = zip.DirEntry(i).FileName;
    zip.FSpecArgs().push_back(name);
    const EntryNameParts parts = SplitEntryName(name);
    if (!IsSafeEntryName(name)) {
      // A name that leads outside the target folder: nothing is created, moved or recorded
      // for it, and the run ends as a failed extraction.
      journal.Append(ZipErrorRecord(kInvalidNameCode, zip.ExtrBaseDir() + name));
      return false;
    }

    const std::wstring entryFolder = zip.ExtrBaseDir() + parts.relativeFolder;
    if (!DirectoryExists(entryFolder)) CreateDirWithJournal(entryFolder, &journal);
    const std::wstring targetFile = entryFolder + parts.fileName;
    if (saveFiles && FileExists(targetFile)) {
      const std::wstring backupFile = backupFolder + parts.relativeFolder + parts.fileName;
      if (!DirectoryExists(backupFolder + parts.relativeFolder)) CreateDirWithJournal(backupFolder + parts.relativeFolder, nullptr);
      journal.Append(MoveRecord(targetFile, backupFile));  // before the move: a killed run still tells
      const bool moved = MoveFileW(targetFile.c_str(), backupFile.c_str()) != 0;
      const DWORD moveError = moved ? 0 : GetLastError();
      const bool keptEarlier = !moved && IsEarlierBackupError(moveError) && FileExists(backupFile);
      journal.Annotate(moved         ? JournalAnnotation{AnnotationKind::Moved}
                       : keptEarlier ? JournalAnnotation{AnnotationKind::KeptEarlier}
                                     : JournalAnnotation{AnnotationKind::MoveFailed, 0, 0, moveError});
      if (!moved && !keptEarlier) {
        // No backup and no earlier one: extracting now would lose the user's file.
        journal.Append(ZipErrorRecord(moveError, targetFile));
        return false;
      }
    } else {
      journal.Append(DeleteRecord(targetFile));
    }

    zip.setExtrBaseDir(entryFolder);
    if (zip.Extract() != 0) {
      const DWORD error = GetLastError();
      journal.Append(ZipErrorRecord(error, targetFile));
      return false;
    }
    if (!parts.fileName.empty())
      if (const auto written = WrittenAnnotation(targetFile)) journal.Annotate(*written);
    host.setProgressPosition(ProgressPosition(i, zip.Count()));
    host.pumpMessages();
    if (host.cancelRequested()) break;
  }
  return true;
}

// The uninstaller, the shortcuts and the registry; success is currentPage 0.
void RunStages(InstallHost& host, const InstallRun& run) {
  host.setProgressText(kInstallingUninstaller);
  if (host.cancelRequested()) return;
  const bool installed = InstallUninstaller(run);
  run.journal.EndStage();
  if (!installed) return;
  host.setProgressText(kInstallingShortcuts);
  if (host.cancelRequested()) return;
  const bool linked = CreateShortcuts(run);
  run.journal.EndStage();
  if (!linked) return;
  host.setProgressText(kRegistering);
  const std::wstring& key = SetupConfig.productRegistryKey;
  if (RegWriteString(key, kInstallPathValue, run.targetFolder))
    run.journal.Append(DelRegValueRecord(WithTrailingDelimiter(key) + kInstallPathValue));
  run.journal.Append(DelRegKeyRecord(key));
  run.journal.Append(kPublisherKeyRecord);
  run.journal.EndStage();
  host.setProgressText(L"");
  host.setProgressPosition(0);
  SetupConfig.currentPage = 0;
}

// On every way out of the run: save the journal, show the outcome.
void FinishInstall(InstallHost& host, const UninstallJournal& journal, const std::wstring& backupFolder) {
  // A journal without records (the data file was missing) is not saved: it would replace the
  // uninstall.dat of an earlier installation with an empty one.
  if (!journal.Empty()) {
    SaveJournal(journal, backupFolder + product::journalFileName);
    journal.EndSection();  // only now: a section without its end mark is a run that died
  }
  if (SetupConfig.currentPage > 0) {
    const std::wstring text = GetLngString(906, L"Fehler während der Installation.");
    host.showResult(false, text);
    SetupConfig.currentPage = -1;
    LogProc(9, L"InstallAddon Ende [" + text + L"]");
  } else {
    const std::wstring text = GetLngString(905, L"Installation erfolgreich fertig gestellt.");
    host.showResult(true, text);
    host.enableNext(GetLngString(907, L"&Schließen"));
    host.disableCancel();
    LogProc(9, L"InstallAddon Ende [" + text + L"]");
  }
}

}  // namespace

void InstallAddon(InstallHost& host) { InstallAddon(host, ProgramFileName()); }

void InstallAddon(InstallHost& host, const std::wstring& setupProgram) {
  UninstallJournal journal;
  std::optional<LosslessJournalFile> lossless;
  std::wstring backupFolder;
  try {
    // Refused on the wizard's thread, which is a single-threaded apartment from start-up.
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    host.pumpMessages();
    host.setProgressLabel(kProgressLabel);
    host.setProgressText(kCopyingFiles);

    const std::wstring dataFile = WithTrailingDelimiter(host.sourceFolder()) + SetupConfig.dataFileName;
    const InstallRun run{host.destinationFolder(), SetupConfig.uninstallDirName, SourceDirFromProgramPath(setupProgram),
                         journal, [&host] { host.pumpMessages(); }};
    const bool saveFiles = host.saveFilesChecked();
    if (!FileExists(dataFile)) {
      ShowMessage(host, kDataFileMissing);
    } else {
      backupFolder = run.targetFolder + run.uninstallDirName;
      lossless.emplace(backupFolder + product::journalFileName + journal_file::losslessSuffix);
      journal.SetSink(&*lossless);
      const bool extracted = ExtractArchive(host, run, dataFile, backupFolder, setupProgram, saveFiles);
      journal.EndStage();
      if (extracted) RunStages(host, run);
    }
  } catch (...) {
    FinishInstall(host, journal, backupFolder);
    throw;
  }
  FinishInstall(host, journal, backupFolder);
}
