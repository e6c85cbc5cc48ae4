#include "support/TextFormat.h"

std::wstring FormatStr(const std::wstring& pattern, std::initializer_list<std::wstring> args) {
  std::wstring out;
  out.reserve(pattern.size() + 32);
  auto next = args.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == L'%' && i + 1 < pattern.size()) {
      if (pattern[i + 1] == L's') {
        if (next != args.end()) out += *next++;
        ++i;
        continue;
      }
      if (pattern[i + 1] == L'%') {
        out += L'%';
        ++i;
        continue;
      }
    }
    out += pattern[i];
  }
  return out;
}
