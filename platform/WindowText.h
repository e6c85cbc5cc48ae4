// Small helpers over window texts and cursors.
#pragma once
#include <windows.h>

#include <string>

std::wstring GetWindowTextString(HWND window);
void SetWindowTextString(HWND window, const std::wstring& text);

// Shows the hourglass while it lives and restores the previous cursor on every way out.
class CursorGuard {
 public:
  CursorGuard() : previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~CursorGuard() { SetCursor(previous); }
  CursorGuard(const CursorGuard&) = delete;
  CursorGuard& operator=(const CursorGuard&) = delete;

 private:
  HCURSOR previous;
};
