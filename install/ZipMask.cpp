#include "install/ZipMask.h"

namespace {

wchar_t Fold(wchar_t c) {
  if (c == L'/') return L'\\';
  return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c;
}

}  // namespace

bool HasWildcard(const std::wstring& mask) { return mask.find_first_of(L"*?") != std::wstring::npos; }

bool MatchesFSpec(const std::wstring& mask, const std::wstring& name) {
  if (mask == L"*.*" || mask == L"*") return true;
  // Greedy matching with one backtrack point (the last "*"): linear in practice, at worst
  // mask length times name length, never exponential.
  size_t m = 0, n = 0;
  size_t starMask = std::wstring::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == L'*') {
      starMask = m++;
      starName = n;
    } else if (m < mask.size() && (mask[m] == L'?' || Fold(mask[m]) == Fold(name[n]))) {
      ++m;
      ++n;
    } else if (starMask != std::wstring::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == L'*') ++m;
  return m == mask.size();
}
