#include "platform/WindowText.h"

std::wstring GetWindowTextString(HWND window) {
  int n = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(window, text.data(), n + 1);
  text.resize(static_cast<size_t>(n > 0 ? n : 0));
  return text;
}

void SetWindowTextString(HWND window, const std::wstring& text) { SetWindowTextW(window, text.c_str()); }
