// A Unix path of the build machine as Wine sees it: drive Z: is the Unix root.
#pragma once
#include <string>

inline std::wstring WindowsPathOf(const std::string& unixPath) {
  std::wstring out = L"Z:";
  for (char c : unixPath) out += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return out;
}
