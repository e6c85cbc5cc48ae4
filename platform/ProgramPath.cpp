#include "platform/ProgramPath.h"

#include <windows.h>

std::wstring ProgramFileName() {
  // GetModuleFileNameW truncates silently when the buffer is too small: grow until it fits.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}
