#include "support/ErrorText.h"

std::wstring ErrorCodeText(uint32_t code, const std::wstring& message) {
  // System messages end with ".\r\n"; the log and journal lines want the bare sentence.
  size_t end = message.size();
  while (end > 0 && (message[end - 1] <= L' ' || message[end - 1] == L'.')) --end;
  return std::to_wstring(code) + L", " + message.substr(0, end);
}
