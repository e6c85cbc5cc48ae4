// Saving the journal as uninstall.dat (Windows).
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "install/JournalLossless.h"
#include "install/UninstallJournal.h"
#include "platform/Handles.h"

// Writes the journal's bytes into "<fileName>.tmp" beside fileName and then replaces fileName
// with it in one step (MoveFileExW, MOVEFILE_REPLACE_EXISTING), so a failure while saving
// never leaves a truncated or empty file in place of a complete earlier one. Raises SetupError
// when the file cannot be created, written or put in place; the temporary file is removed then.
void SaveJournal(const UninstallJournal& journal, const std::wstring& fileName);


// The write call SaveJournal uses; tests put a failing one in.
using JournalWriteFunction = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
extern JournalWriteFunction JournalWriteFile;

// The lossless copy's writer (see JournalLossless.h): appends each line to fileName with a plain
// write as it comes. Lines that arrive before the file can be opened (the backup folder is
// created after the journal's first lines) wait in memory and go out with the first write that
// can open it. The copy is an addition to uninstall.dat, so failures are logged and end the
// copy, never the run. A file name that is a link (reparse point) is not written through.
class LosslessJournalFile : public JournalSink {
 public:
  explicit LosslessJournalFile(std::wstring fileName) : fileName(std::move(fileName)) {}
  void Write(const std::wstring& line) override;
  void Flush() override;

 private:
  bool Open();
  void Fail(const wchar_t* call);

  std::wstring fileName;
  unique_handle file;
  std::string pending;
  bool failed = false;
};

// "#Written" for a file the run wrote: its size and last-write time; nullopt when the file
// cannot be queried.
std::optional<JournalAnnotation> WrittenAnnotation(const std::wstring& file);
