// Line comparison for sorting the language block outside Windows: character by character after
// towlower under the C library's current locale.
#ifndef _WIN32
#include <cwctype>

#include "support/Language.h"

int CompareLngLines(const std::wstring& a, const std::wstring& b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const auto x = static_cast<uint32_t>(std::towlower(a[i]));
    const auto y = static_cast<uint32_t>(std::towlower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
#endif
