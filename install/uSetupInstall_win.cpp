#include "install/uSetupInstall.h"

#include <windows.h>
#include <objbase.h>

#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "install/CreateDirWithJournal.h"
#include "platform/FileExistence.h"
#include "install/InstallHost.h"
#include "install/InstallRules.h"
#include "install/JournalFile_win.h"
#include "install/MyCreateShortCut.h"
#include "install/Uninstaller.h"
#include "install/ZipEntryName.h"
#include "install/ZipMaster.h"
#include "platform/AnsiText.h"
#include "platform/FolderLinks.h"
#include "platform/Handles.h"
#include "platform/FolderSecurity.h"
#include "platform/ProgramPath.h"
#include "support/DebugLog.h"
#include "support/ErrorText.h"
#include "support/FileHelpers.h"
#include "support/Language.h"
#include "support/MyEXEInfoIO.h"
#include "support/MyRegistryIO.h"
#include "support/SetupConfig.h"
#include "support/Win_Version.h"

namespace {

// The archive component's report of its last failure, in the window's box.
void ShowArchiveError(InstallHost& host) {
  const TZipMaster& zip = host.archive();
  if (!zip.Unattended() && !zip.ErrMessage().empty()) host.showMessage(zip.ErrMessage());
}

// A refused name in its record: every character outside printable ASCII as "?", so that the
// record cannot read as another path in the journal's code page.
std::wstring RefusedNameText(const std::wstring& name) {
  std::wstring text = name;
  for (wchar_t& c : text)
    if (c < 0x20 || c >= 0x7F) c = L'?';
  return text;
}

// A link planted below the target folder on the way to relative: logged, true when found.
bool LinkOnTheWay(FolderLinkGuard& links, const std::wstring& relative) {
  const FolderLinkCheck check = links.Check(relative);
  if (check.linked) LogProc(3, L"InstallAddon: \"" + check.level + L"\" ist ein Link (Abzweigung); nichts wird dort angelegt");
  return check.linked;
}

// What the run knows of the folders its entries go to: each is looked for (or created) and
// listed once, so that an entry costs no look for a file that is not there; in a folder the run
// made, only the files it wrote are there.
class EntryFolders {
 public:
  struct Folder {
    bool firstVisit = true;                  // true on the visit that looked for or created it
    std::unordered_set<std::wstring> files;  // upper case
    bool Holds(const std::wstring& name) const { return files.count(UpperCase(name)) > 0; }
    void Add(const std::wstring& name) { files.insert(UpperCase(name)); }
    // Takes in the names of the files an existing folder holds.
    void List(const std::wstring& folder) {
      WIN32_FIND_DATAW found;
      const unique_find find(FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                              nullptr, FIND_FIRST_EX_LARGE_FETCH));
      if (!find) return;
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) Add(found.cFileName);
      } while (FindNextFileW(find.get(), &found));
    }
  };
  // The folder's record; prepare(folder) runs on the first visit only.
  template <typename Prepare>
  Folder& Visit(const std::wstring& path, Prepare&& prepare) {
    auto [it, first] = known.try_emplace(UpperCase(path));
    it->second.firstVisit = first;
    if (first) prepare(it->second);
    return it->second;
  }

 private:
  static std::wstring UpperCase(const std::wstring& text) {
    std::wstring upper(text);
    if (!upper.empty())
      LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()), upper.data(),
                    static_cast<int>(upper.size()), nullptr, nullptr, 0);
    return upper;
  }
  std::unordered_map<std::wstring, Folder> known;
};

// The journal's header, the backup folder and the archive's entries. False when an extraction
// failed (or an entry could not be dealt with safely). backupFolder is cleared when it is a
// link: then nothing, not even the journal, may be written there.
bool ExtractArchive(InstallHost& host, const InstallRun& run, FolderLinkGuard& links, const std::wstring& dataFile,
                    std::wstring& backupFolder, const std::wstring& setupProgram, bool saveFiles) {
  UninstallJournal& journal = run.journal;
  journal.Append(JournalProgramLine(SetupConfig.productName, GetExeFileVersion(L"0409", false),
                                    GetWindowsVersionsStr(true, true)));
  journal.Append(JournalSourceLine(setupProgram));
  journal.Append(JournalDestinationLine(backupFolder));
  CreateDirWithJournal(backupFolder, &journal);
  if (LinkOnTheWay(links, run.uninstallDirName)) {
    journal.DropSink();
    journal.Append(ZipErrorRecord(kReparsePointCode, backupFolder));
    backupFolder.clear();
    return false;
  }
  journal.ReleaseSink();
  // The uninstaller that will lie here runs elevated: only administrators may change it.
  if (const uint32_t error = RestrictFolderToAdministrators(backupFolder); error != 0)
    LogProc(3, L"SetNamedSecurityInfoW(\"" + backupFolder + L"\") : " + ErrorCodeText(error, true));

  TZipMaster& zip = host.archive();
  zip.setZipFileName(dataFile);
  const int openError = zip.ErrCode();
  zip.setExtrOptions(zip.ExtrOptions() + ExtrOverWrite);
  zip.setUseDirOnlyEntries(true);
  zip.setPassword(kArchivePassword);
  if (openError != 0) {
    ShowArchiveError(host);
    // The file is there but is no readable archive: nothing was installed, so no success.
    journal.Append(ZipErrorRecord(ZipErrorCode(openError, zip.ErrSystemCode()), dataFile));
    return false;
  }

  const int count = zip.Count();
  EntryFolders folders;
  for (int i = 0; i < count; ++i) {
    zip.FSpecArgs().clear();
    zip.setExtrBaseDir(run.targetFolder);
    const std::wstring name = zip.DirEntry(i).FileName;
    zip.FSpecArgs().push_back(name);
    const EntryNameParts parts = SplitEntryName(name);
    if (!IsSafeEntryNameInAnsi(name, AnsiFormOf)) {
      // A name that leads outside the target folder, or reads so in the journal's code page:
      // nothing is created, moved or recorded for it, and the run ends as a failed extraction.
      journal.Append(ZipErrorRecord(kInvalidNameCode, zip.ExtrBaseDir() + RefusedNameText(name)));
      return false;
    }

    const std::wstring entryFolder = zip.ExtrBaseDir() + parts.relativeFolder;
    const std::wstring targetFile = entryFolder + parts.fileName;
    // Nothing is created, moved or extracted through a link planted on the entry's way.
    if (LinkOnTheWay(links, parts.relativeFolder)) {
      journal.Append(ZipErrorRecord(kReparsePointCode, targetFile));
      return false;
    }
    EntryFolders::Folder& folder = folders.Visit(entryFolder, [&](EntryFolders::Folder& f) {
      bool madeHere = false;
      if (!DirectoryExists(entryFolder)) CreateDirWithJournal(entryFolder, &journal, &madeHere);
      if (!madeHere) f.List(entryFolder);
    });
    if (folder.firstVisit && LinkOnTheWay(links, parts.relativeFolder)) {  // planted while the folders were made
      journal.Append(ZipErrorRecord(kReparsePointCode, targetFile));
      return false;
    }
    // A file counts as there when the folder's listing (or the run) had it and it still is; a
    // file put there since the listing is caught when the new file is created.
    const bool present = !parts.fileName.empty() && folder.Holds(parts.fileName) && FileExists(targetFile);
    bool gone = !present;  // nothing at the target when the component writes the entry
    if (saveFiles && present) {
      if (LinkOnTheWay(links, run.uninstallDirName + parts.relativeFolder)) {
        journal.Append(ZipErrorRecord(kReparsePointCode, targetFile));
        return false;
      }
      const std::wstring backupFile = backupFolder + parts.relativeFolder + parts.fileName;
      folders.Visit(backupFolder + parts.relativeFolder, [&](EntryFolders::Folder&) {
        if (!DirectoryExists(backupFolder + parts.relativeFolder)) CreateDirWithJournal(backupFolder + parts.relativeFolder, nullptr);
      });
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
      gone = moved;
    } else {
      journal.Append(DeleteRecord(targetFile));
    }
    // Where the file is gone (moved) or was never there, the component creates it new and
    // refuses to write over one that appeared since: that file is no one's to replace unasked.
    const bool createNew = !parts.fileName.empty() && gone;
    if (createNew) journal.Annotate({AnnotationKind::New});
    zip.setExtrOptions(createNew ? zip.ExtrOptions() - ExtrOverWrite : zip.ExtrOptions() + ExtrOverWrite);

    zip.setExtrBaseDir(entryFolder);
    if (const int rc = zip.Extract(); rc != 0) {
      ShowArchiveError(host);
      journal.Append(ZipErrorRecord(ZipErrorCode(rc, zip.ErrSystemCode()), targetFile));
      return false;
    }
    if (!parts.fileName.empty()) {
      folder.Add(parts.fileName);
      if (const TZipMaster::WrittenFile& w = zip.LastWritten(); w.valid)
        journal.Annotate({AnnotationKind::Written, w.size, w.time, 0});
      else if (const auto written = WrittenAnnotation(targetFile))
        journal.Annotate(*written);
    }
    host.setProgressPosition(ProgressPosition(i, zip.Count()));
    host.pumpMessages();
    if (host.cancelRequested()) break;
  }
  return true;
}

// The uninstaller, the shortcuts and the registry; true when all of them are done.
bool RunStages(InstallHost& host, const InstallRun& run) {
  host.setProgressText(kInstallingUninstaller);
  if (host.cancelRequested()) return false;
  const bool installed = InstallUninstaller(run);
  run.journal.EndStage();
  if (!installed) return false;
  host.setProgressText(kInstallingShortcuts);
  if (host.cancelRequested()) return false;
  const bool linked = CreateShortcuts(run);
  run.journal.EndStage();
  if (!linked) return false;
  host.setProgressText(kRegistering);
  const std::wstring& key = SetupConfig.productRegistryKey;
  if (RegWriteString(key, kInstallPathValue, run.targetFolder))
    run.journal.Append(DelRegValueRecord(WithTrailingDelimiter(key) + kInstallPathValue));
  run.journal.Append(DelRegKeyRecord(key));
  run.journal.Append(kPublisherKeyRecord);
  run.journal.EndStage();
  host.setProgressText(L"");
  host.setProgressPosition(0);
  return true;
}

// On every way out of the run: save the journal. The outcome is the wizard's to show.
void FinishInstall(InstallResult& result, const UninstallJournal& journal, const std::wstring& backupFolder) {
  // A journal without records (the data file was missing) is not saved: it would replace the
  // uninstall.dat of an earlier installation with an empty one. Nor is one whose backup folder
  // turned out to be a link (the folder is then cleared).
  if (!journal.Empty() && !backupFolder.empty()) {
    SaveJournal(journal, backupFolder + product::journalFileName);
    journal.EndSection();  // only now: a section without its end mark is a run that died
  }
  result.finished = true;
  const std::wstring text = result.success ? GetLngString(905, L"Installation erfolgreich fertig gestellt.")
                                           : GetLngString(906, L"Fehler während der Installation.");
  LogProc(9, L"InstallAddon Ende [" + text + L"]");
}

}  // namespace

InstallResult InstallAddon(InstallHost& host, const InstallRequest& request) {
  return InstallAddon(host, request, ProgramFileName());
}

InstallResult InstallAddon(InstallHost& host, const InstallRequest& request, const std::wstring& setupProgram) {
  InstallResult result;
  UninstallJournal journal;
  std::optional<LosslessJournalFile> lossless;
  std::wstring backupFolder;
  // Held until the journal is saved: the folders found free of links stay so.
  std::unique_ptr<FolderLinkGuard> links;
  try {
    try {
      // Refused on the wizard's thread, which is a single-threaded apartment from start-up.
      CoInitializeEx(nullptr, COINIT_MULTITHREADED);
      host.pumpMessages();
      host.setProgressLabel(kProgressLabel);
      host.setProgressText(kCopyingFiles);

      const std::wstring dataFile = WithTrailingDelimiter(request.sourceFolder) + SetupConfig.dataFileName;
      const InstallRun run{request.targetFolder, SetupConfig.uninstallDirName, SourceDirFromProgramPath(setupProgram),
                           journal, [&host] { host.pumpMessages(); }};
      if (!FileExists(dataFile)) {
        host.showMessage(kDataFileMissing);
        result.failure = InstallFailure::DataFileMissing;
      } else {
        backupFolder = run.targetFolder + run.uninstallDirName;
        links = std::make_unique<FolderLinkGuard>(run.targetFolder);
        // The lossless copy goes out only once the backup folder is found free of links.
        lossless.emplace(backupFolder + product::journalFileName + journal_file::losslessSuffix);
        journal.SetSink(&*lossless);
        journal.HoldSink();
        const bool extracted = ExtractArchive(host, run, *links, dataFile, backupFolder, setupProgram, request.saveFiles);
        journal.EndStage();
        if (!extracted)
          result.failure = InstallFailure::Extraction;
        else if (!(result.success = RunStages(host, run)))
          result.failure = host.cancelRequested() ? InstallFailure::Cancelled : InstallFailure::Stage;
      }
    } catch (...) {
      result.error = std::current_exception();
      result.success = false;
    }
    FinishInstall(result, journal, backupFolder);
  } catch (...) {
    // Saving the journal failed: no outcome to show, and that error is the one to report.
    result.error = std::current_exception();
  }
  return result;
}
