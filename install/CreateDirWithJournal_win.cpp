#include <windows.h>

#include "install/CreateDirWithJournal.h"
#include "platform/FileExistence.h"
#include "support/DebugLog.h"
#include "support/ErrorText.h"

bool CreateDirWithJournal(const std::wstring& folder, UninstallJournal* journal, bool* madeHere) {
  if (madeHere) *madeHere = false;
  const auto levels = MissingFolderLevels(folder, DirectoryExists);
  if (!levels) {
    LogProc(3, L"CreateDirWithJournal: kein vorhandener Ordner über \"" + folder + L"\" (Laufwerk oder Freigabe fehlt)");
    return false;
  }
  if (levels->empty()) {
    if (journal) {
      journal->Append(RmDirRecord(folder));
      journal->Annotate({AnnotationKind::Existed});
    }
    return true;
  }
  bool created = false;
  for (const std::wstring& level : *levels) {
    // Recorded before the attempt: the record states what the installation set out to change.
    if (journal) journal->Append(RmDirRecord(level));
    created = CreateDirectoryW(level.c_str(), nullptr) != 0;
    if (madeHere) *madeHere = created;
    if (created) {
      if (journal) journal->Annotate({AnnotationKind::Created});
    } else {
      const std::wstring error = LastErrorText(true);
      created = DirectoryExists(level);  // made meanwhile by someone else
      if (created && journal) journal->Annotate({AnnotationKind::Existed});
      if (!created) LogProc(3, L"CreateDirectoryW(\"" + level + L"\") : " + error);
    }
  }
  return created;
}
