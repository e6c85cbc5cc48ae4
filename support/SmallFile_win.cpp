#include "support/SmallFile.h"

#include <windows.h>

#include "platform/Handles.h"
#include "support/ErrorText.h"

std::optional<std::string> ReadSmallFile(const std::wstring& path, size_t maxBytes, std::wstring& error) {
  unique_handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    error = L"CreateFileW : " + LastErrorText(true);
    return std::nullopt;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) {
    error = L"GetFileSizeEx : " + LastErrorText(true);
    return std::nullopt;
  }
  if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
    error = L"larger than " + std::to_wstring(maxBytes) + L" bytes";
    return std::nullopt;
  }
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr)) {
      error = L"ReadFile : " + LastErrorText(true);
      return std::nullopt;
    }
    if (got == 0) break;  // shorter than its size said: take what is there
    done += got;
  }
  bytes.resize(done);
  return bytes;
}
