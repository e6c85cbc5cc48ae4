// GDI objects and the device contexts that the window and its controls paint and measure with:
// each is released when its owner goes out of scope, and a selection into a device context is
// undone the same way.
#pragma once
#include <windows.h>

#include <string>
#include <utility>

#include "platform/Handles.h"

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

namespace gdi {

struct MemoryDcTraits {
  static HDC Invalid() { return nullptr; }
  static bool Valid(HDC h) { return h != nullptr; }
  static void Close(HDC h) { DeleteDC(h); }
};

// A device context from CreateCompatibleDC (DeleteDC).
using unique_memdc = platform_detail::unique_resource<HDC, MemoryDcTraits>;

// Selects an object into a device context and puts the previous one back at scope end.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// The device context of a window from GetDC, released with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint ... EndPaint of one WM_PAINT.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  ~PaintDc() { EndPaint(window_, &paint_); }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// The size of a text drawn in the given font, measured with the window's device context.
SIZE TextExtent(HWND window, HFONT font, const std::wstring& text);

}  // namespace gdi
