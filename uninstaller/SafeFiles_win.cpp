#include "uninstaller/SafeFiles_win.h"

namespace {
constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring WithoutLongPrefix(std::wstring path) {
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
  if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

}  // namespace

std::wstring FinalPathOf(HANDLE handle) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD n = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return WithoutLongPrefix(buffer);
    }
    buffer.resize(n + 1);
  }
  return {};
}

namespace {
std::wstring WithDelimiter(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}
}  // namespace

OpenedEntry OpenEntry(const std::wstring& path) {
  OpenedEntry entry;
  // FILE_LIST_DIRECTORY lets FolderEmpty read a folder through this same handle.
  entry.handle.reset(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY | SYNCHRONIZE, kShare,
                                 nullptr,
                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!entry.handle) {
    entry.error = GetLastError();
    switch (entry.error) {
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND:
      case ERROR_INVALID_NAME:
        entry.kind = EntryKind::Absent;
        break;
      case ERROR_SHARING_VIOLATION:
      case ERROR_LOCK_VIOLATION:
      case ERROR_ACCESS_DENIED:
        entry.kind = EntryKind::InUse;
        break;
      default:
        entry.kind = EntryKind::Failed;
    }
    return entry;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(entry.handle.get(), &info)) {
    entry.error = GetLastError();
    entry.kind = EntryKind::Failed;
    return entry;
  }
  entry.finalPath = FinalPathOf(entry.handle.get());
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
    entry.kind = EntryKind::ReparsePoint;
  else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    entry.kind = EntryKind::Folder;
  else
    entry.kind = EntryKind::File;
  entry.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  entry.lastWrite = (static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
  return entry;
}

std::wstring FinalFolderPath(const std::wstring& folder) {
  unique_handle handle(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShare, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return {};
  const std::wstring path = FinalPathOf(handle.get());
  return path.empty() ? path : WithDelimiter(path);
}

bool FolderEmpty(const OpenedEntry& folder) {
  if (folder.kind != EntryKind::Folder || !folder.handle) return false;
  // Read through the opened handle: a path-based search would be refused while it holds DELETE.
  alignas(8) uint8_t buffer[4096];
  FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
  for (;;) {
    if (!GetFileInformationByHandleEx(folder.handle.get(), kind, buffer, sizeof(buffer)))
      return GetLastError() == ERROR_NO_MORE_FILES;
    kind = FileIdBothDirectoryInfo;
    for (size_t offset = 0;;) {
      const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer + offset);
      const std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") return false;
      if (info->NextEntryOffset == 0) break;
      offset += info->NextEntryOffset;
    }
  }
}

bool DeleteOpened(OpenedEntry& entry) {
  FILE_DISPOSITION_INFO disposition{TRUE};
  if (!SetFileInformationByHandle(entry.handle.get(), FileDispositionInfo, &disposition, sizeof(disposition)))
    return false;
  entry.handle.reset();  // the entry goes now
  return true;
}

bool RenameOpened(OpenedEntry& entry, const std::wstring& newPath, bool replace) {
  const size_t bytes = sizeof(FILE_RENAME_INFO) + newPath.size() * sizeof(wchar_t);
  std::vector<uint8_t> buffer(bytes, 0);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = replace ? TRUE : FALSE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(newPath.size() * sizeof(wchar_t));
  std::copy(newPath.begin(), newPath.end(), info->FileName);
  if (!SetFileInformationByHandle(entry.handle.get(), FileRenameInfo, info, static_cast<DWORD>(bytes))) return false;
  entry.handle.reset();
  return true;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

ReadResult ReadJournalFile(const std::wstring& path, size_t maxBytes, std::string& bytes) {
  unique_handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::Absent : ReadResult::Failed;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.get(), &info)) return ReadResult::Failed;
  if (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) return ReadResult::NotAFile;
  const uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (size > maxBytes) return ReadResult::TooLarge;
  bytes.assign(static_cast<size_t>(size), '\0');
  DWORD read = 0;
  if (size && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(size), &read, nullptr) || read != size))
    return ReadResult::Failed;
  return ReadResult::Read;
}

bool WriteJournalFile(const std::wstring& path, const std::string& bytes) {
  // Written beside it first and renamed over it through the handle: the earlier file stays
  // until the new one is complete, and a link put in either place is replaced, not followed.
  const std::wstring temp = path + L".tmp";
  OpenedEntry old = OpenEntry(temp);
  if (old.kind == EntryKind::ReparsePoint || old.kind == EntryKind::File) {
    if (!DeleteOpened(old)) return false;
  } else if (old.kind != EntryKind::Absent) {
    return false;
  }
  OpenedEntry fresh;
  fresh.handle.reset(CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
  if (!fresh.handle) return false;
  DWORD written = 0;
  if (!WriteFile(fresh.handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size() || !FlushFileBuffers(fresh.handle.get()) || !RenameOpened(fresh, path, true)) {
    DeleteOpened(fresh);
    return false;
  }
  return true;
}
