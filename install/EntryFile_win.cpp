#include "install/EntryFile.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/Handles.h"

namespace {
std::error_code LastError() { return {static_cast<int>(GetLastError()), std::system_category()}; }

FILETIME FileTimeOfSeconds(int64_t seconds) {
  const uint64_t ticks = static_cast<uint64_t>(seconds) * 10000000ull + 116444736000000000ull;
  return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}
}  // namespace

struct EntryFile::Handle {
  unique_handle file;
  bool finished = false;
};

EntryFile::EntryFile() : handle(std::make_unique<Handle>()) {}

EntryFile::~EntryFile() {
  if (handle->file && !handle->finished) {
    FILE_DISPOSITION_INFO gone{TRUE};  // a file that did not get all its data is not left behind
    SetFileInformationByHandle(handle->file.get(), FileDispositionInfo, &gone, sizeof gone);
  }
}

bool EntryFile::Create(const std::filesystem::path& path) {
  handle->file.reset(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  handle->finished = false;
  lastError = handle->file ? std::error_code() : LastError();
  return static_cast<bool>(handle->file);
}

bool EntryFile::exists() const {
  return lastError == std::error_code(ERROR_FILE_EXISTS, std::system_category()) ||
         lastError == std::error_code(ERROR_ALREADY_EXISTS, std::system_category());
}

bool EntryFile::Write(const char* data, size_t size) {
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(handle->file.get(), data, chunk, &written, nullptr) || written != chunk) {
      lastError = LastError();
      return false;
    }
    data += chunk;
    size -= chunk;
  }
  return true;
}

bool EntryFile::Finish(int64_t modified, const std::filesystem::path* replaceTarget) {
  HANDLE file = handle->file.get();
  if (modified > 0) {
    const FILETIME time = FileTimeOfSeconds(modified);
    SetFileTime(file, nullptr, nullptr, &time);  // a file system without times still gets the file
  }
  if (replaceTarget != nullptr) {
    const std::wstring& name = replaceTarget->native();
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::memcpy(rename->FileName, name.data(), name.size() * sizeof(wchar_t));
    if (!SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()))) {
      lastError = LastError();
      return false;
    }
  }
  // Not GetFileInformationByHandle: its volume serial number costs a trip to the volume's driver.
  FILE_BASIC_INFO basic{};
  LARGE_INTEGER size{};
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) || !GetFileSizeEx(file, &size)) {
    lastError = LastError();
    return false;
  }
  finalSize = static_cast<uint64_t>(size.QuadPart);
  finalTime = static_cast<uint64_t>(basic.LastWriteTime.QuadPart);
  handle->finished = true;
  handle->file.reset();
  return true;
}
