#include "install/JournalFile_win.h"
#include "platform/AnsiText.h"

#include <algorithm>

#include "platform/Handles.h"
#include "support/DebugLog.h"
#include "support/ErrorText.h"
#include "support/SetupError.h"
#include "support/TextFormat.h"

JournalWriteFunction JournalWriteFile = WriteFile;

namespace {
[[noreturn]] void Raise(const wchar_t* pattern, const std::wstring& fileName, const std::wstring& call,
                        const std::wstring& error) {
  LogProc(3, L"SaveJournal " + call + L" [" + fileName + L"] : " + error);
  throw SetupError(FormatStr(pattern, {fileName, error}));
}
}  // namespace

void SaveJournal(const UninstallJournal& journal, const std::wstring& fileName) {
  const std::string bytes = journal.FileBytes(ToAnsiBytes);
  const std::wstring temp = fileName + L".tmp";
  unique_handle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) Raise(L"Datei \"%s\" kann nicht erstellt werden. %s", fileName, L"CreateFileW", LastErrorText(true));

  const auto discard = [&](const wchar_t* pattern, const wchar_t* call) {
    const std::wstring error = LastErrorText(true);
    file.reset();
    DeleteFileW(temp.c_str());
    Raise(pattern, fileName, call, error);
  };
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    if (!JournalWriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0)
      discard(L"Fehler beim Schreiben der Datei \"%s\". %s", L"WriteFile");
    done += written;
  }
  if (!FlushFileBuffers(file.get())) discard(L"Fehler beim Schreiben der Datei \"%s\". %s", L"FlushFileBuffers");
  file.reset();
  if (!MoveFileExW(temp.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    discard(L"Datei \"%s\" kann nicht ersetzt werden. %s", L"MoveFileExW");
  LogProc(9, L"SaveJournal: " + fileName + L" (" + std::to_wstring(journal.Lines().size()) + L" Zeilen)");
}
