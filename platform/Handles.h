// Owning wrappers for kernel handles and registry keys: closed when the owner goes out of
// scope, movable, never copied.
#pragma once
#include <windows.h>

#include <utility>

namespace platform_detail {

// Traits: Invalid() is the empty value, Valid(h) tells whether h must be closed.
template <class T, class Traits>
class unique_resource {
 public:
  unique_resource() = default;
  explicit unique_resource(T value) : value_(value) {}
  unique_resource(const unique_resource&) = delete;
  unique_resource& operator=(const unique_resource&) = delete;
  unique_resource(unique_resource&& other) noexcept : value_(other.release()) {}
  unique_resource& operator=(unique_resource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~unique_resource() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return Traits::Valid(value_); }

  // Closes the owned value (if any) and takes ownership of value.
  void reset(T value = Traits::Invalid()) {
    T old = std::exchange(value_, value);
    if (Traits::Valid(old)) Traits::Close(old);
  }
  // Gives up ownership without closing.
  T release() { return std::exchange(value_, Traits::Invalid()); }

 private:
  T value_ = Traits::Invalid();
};

struct HandleTraits {
  static HANDLE Invalid() { return nullptr; }
  // Some calls report failure with INVALID_HANDLE_VALUE, others with null: neither is closed.
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};

struct HkeyTraits {
  static HKEY Invalid() { return nullptr; }
  static bool Valid(HKEY h) { return h != nullptr; }
  static void Close(HKEY h) { RegCloseKey(h); }
};

struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static bool Valid(HMODULE h) { return h != nullptr; }
  static void Close(HMODULE h) { FreeLibrary(h); }
};

struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};

}  // namespace platform_detail

// A kernel object handle (CloseHandle).
using unique_handle = platform_detail::unique_resource<HANDLE, platform_detail::HandleTraits>;
// An open registry key (RegCloseKey).
using unique_hkey = platform_detail::unique_resource<HKEY, platform_detail::HkeyTraits>;
// A library reference from LoadLibrary (FreeLibrary).
using unique_hmodule = platform_detail::unique_resource<HMODULE, platform_detail::ModuleTraits>;
// A directory search from FindFirstFileExW (FindClose).
using unique_find = platform_detail::unique_resource<HANDLE, platform_detail::FindTraits>;
