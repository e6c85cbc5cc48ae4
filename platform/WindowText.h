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

// Owns one GDI object (font, brush, bitmap, pen).
template <typename T>
class GdiObject {
 public:
  explicit GdiObject(T object = nullptr) : handle(object) {}
  ~GdiObject() { reset(); }
  GdiObject(GdiObject&& other) noexcept : handle(other.handle) { other.handle = nullptr; }
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      reset(other.handle);
      other.handle = nullptr;
    }
    return *this;
  }
  T get() const { return handle; }
  void reset(T object = nullptr) {
    if (handle) DeleteObject(handle);
    handle = object;
  }

 private:
  T handle;
};
