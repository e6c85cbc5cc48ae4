// Line comparison for sorting the language block: the user's locale, ignoring letter case.
#include <windows.h>

#include "support/Language.h"

int CompareLngLines(const std::wstring& a, const std::wstring& b) {
  const int result = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                                    static_cast<int>(a.size()), b.data(),
                                    static_cast<int>(b.size()));
  if (result == 0) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);  // not comparable: plain order
  return result - CSTR_EQUAL;
}
