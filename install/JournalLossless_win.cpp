// The lossless journal copy on disk (Windows).
#include <windows.h>

#include "install/JournalFile_win.h"
#include "install/JournalRecords.h"
#include "support/DebugLog.h"
#include "support/ErrorText.h"

namespace {
// The opened file lies where it was asked for: no junction or symbolic link on its way, which
// would let the elevated setup write into a folder of someone else's choosing.
bool OpenedWhereAsked(HANDLE file, const std::wstring& asked) {
  std::wstring found(32768, L'\0');
  const DWORD n = GetFinalPathNameByHandleW(file, found.data(), static_cast<DWORD>(found.size()), FILE_NAME_NORMALIZED);
  if (n == 0 || n >= found.size()) return false;
  found.resize(n);
  if (found.starts_with(L"\\\\?\\UNC\\")) found = L"\\" + found.substr(7);
  else if (found.starts_with(L"\\\\?\\")) found = found.substr(4);
  std::wstring wanted(32768, L'\0');
  const DWORD m = GetLongPathNameW(asked.c_str(), wanted.data(), static_cast<DWORD>(wanted.size()));
  if (m == 0 || m >= wanted.size()) return false;
  wanted.resize(m);
  return EqualsNoCase(found, wanted);
}
}  // namespace

void LosslessJournalFile::Fail(const wchar_t* call) {
  LogProc(3, std::wstring(L"LosslessJournalFile ") + call + L" [" + fileName + L"] : " + LastErrorText(true));
  failed = true;
  file.reset();
  pending.clear();
}

bool LosslessJournalFile::Open() {
  // Not through a link planted in its place: the setup runs with administrator rights.
  unique_handle opened(CreateFileW(fileName.c_str(), GENERIC_READ | FILE_APPEND_DATA | DELETE, FILE_SHARE_READ, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  const bool created = opened && GetLastError() != ERROR_ALREADY_EXISTS;
  if (!opened) {
    if (GetLastError() != ERROR_PATH_NOT_FOUND) Fail(L"CreateFileW");
    return false;  // the backup folder is not there yet
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(opened.get(), &info)) {
    Fail(L"GetFileInformationByHandle");
    return false;
  }
  if ((info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
      !OpenedWhereAsked(opened.get(), fileName)) {
    if (created && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      FILE_DISPOSITION_INFO gone{TRUE};  // not left behind where it does not belong
      SetFileInformationByHandle(opened.get(), FileDispositionInfo, &gone, sizeof gone);
    }
    SetLastError(ERROR_CANT_ACCESS_FILE);
    Fail(L"CreateFileW (Verknüpfung auf dem Weg)");
    return false;
  }
  // A killed run may have left half a line: the new section starts on a line of its own.
  const uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (size > 0) {
    LARGE_INTEGER at{};
    at.QuadPart = -1;
    char last = '\n';
    DWORD got = 0;
    if (SetFilePointerEx(opened.get(), at, nullptr, FILE_END) && ReadFile(opened.get(), &last, 1, &got, nullptr) &&
        got == 1 && last != '\n')
      pending.insert(0, "\r\n");
  }
  file = std::move(opened);
  return true;
}

void LosslessJournalFile::Write(const std::wstring& line) {
  if (failed) return;
  pending += LosslessLineBytes(line);
  if (!file && !Open()) return;
  // One plain write per line: a killed process loses nothing it wrote; no flush per line.
  DWORD written = 0;
  if (!WriteFile(file.get(), pending.data(), static_cast<DWORD>(pending.size()), &written, nullptr) ||
      written != pending.size())
    return Fail(L"WriteFile");
  pending.clear();
}

void LosslessJournalFile::Flush() {
  if (file && !FlushFileBuffers(file.get())) Fail(L"FlushFileBuffers");
}

std::optional<JournalAnnotation> WrittenAnnotation(const std::wstring& file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) {
    LogProc(3, L"GetFileAttributesExW(\"" + file + L"\") : " + LastErrorText(true));
    return std::nullopt;
  }
  JournalAnnotation a;
  a.kind = AnnotationKind::Written;
  a.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  a.time = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  return a;
}
