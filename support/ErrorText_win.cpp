#include <windows.h>

#include "platform/AnsiText.h"
#include "support/ErrorText.h"
#include "support/SetupError.h"
#include "support/Utf8.h"

std::wstring ErrorCodeText(uint32_t code, bool withMessage) {
  if (!withMessage) return std::to_wstring(code);
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring message;
  if (n != 0 && buffer) message.assign(buffer, n);
  if (buffer) LocalFree(buffer);
  return ErrorCodeText(code, message);
}

std::wstring LastErrorText(bool withMessage) { return ErrorCodeText(GetLastError(), withMessage); }

void RaiseLastSystemError() { throw SetupError(L"Systemfehler " + LastErrorText(true)); }

std::wstring ExceptionText(std::string_view what) {
  if (auto text = Utf8ToWide(what)) return *text;
  return AnsiToWide(what);
}
