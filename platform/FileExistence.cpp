#include "platform/FileExistence.h"

#include <windows.h>

#include "platform/Handles.h"

namespace {
// The attributes of what path names; for a link those of its target.
bool TargetAttributes(const std::wstring& path, DWORD& attributes) {
  attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
  unique_handle target(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!target || !GetFileInformationByHandle(target.get(), &info)) return false;  // a dangling link
  attributes = info.dwFileAttributes;
  return true;
}
}  // namespace

bool FileExists(const std::wstring& path) {
  DWORD attributes = 0;
  return TargetAttributes(path, attributes) && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
  DWORD attributes = 0;
  return TargetAttributes(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsReparsePoint(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsRemoteDrive(const std::wstring& path) {
  if (path.size() < 2 || path[1] != L':') return false;
  const std::wstring root = path.substr(0, 2) + L"\\";
  return GetDriveTypeW(root.c_str()) == DRIVE_REMOTE;
}
