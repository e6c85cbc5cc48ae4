// ComPtr<T>: owns one reference to a COM interface. CoTaskMemPtr<T>: memory from the shell's
// task allocator (item id lists, shell strings), freed with CoTaskMemFree.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <memory>
#include <utility>

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference that the caller already owns (no AddRef).
  explicit ComPtr(T* p) : p_(p) {}
  ComPtr(const ComPtr& other) : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr& operator=(const ComPtr& other) {
    if (other.p_) other.p_->AddRef();
    reset(other.p_);
    return *this;
  }
  ComPtr(ComPtr&& other) noexcept : p_(other.release()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~ComPtr() { reset(); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  void reset(T* p = nullptr) {
    T* old = std::exchange(p_, p);
    if (old) old->Release();
  }
  T* release() { return std::exchange(p_, nullptr); }

  // For out-parameters (CoCreateInstance, QueryInterface): releases the current reference.
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

  // QueryInterface for another interface; an empty pointer when the object lacks it.
  template <class U>
  ComPtr<U> As() const {
    ComPtr<U> result;
    if (p_) p_->QueryInterface(__uuidof(U), result.put_void());
    return result;
  }

 private:
  T* p_ = nullptr;
};

struct CoTaskMemDeleter {
  void operator()(void* p) const { CoTaskMemFree(p); }
};
template <class T>
using CoTaskMemPtr = std::unique_ptr<T, CoTaskMemDeleter>;
