#include "platform/AnsiText.h"

#include <windows.h>

std::string ToAnsiBytes(const std::wstring& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

std::wstring AnsiToWide(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int wide = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (wide <= 0) return {};
  std::wstring text(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), wide);
  return text;
}

std::wstring AnsiFormOf(const std::wstring& text) { return AnsiToWide(ToAnsiBytes(text)); }
