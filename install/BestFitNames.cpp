#include "install/BestFitNames.h"

#include <algorithm>

#include "install/ZipEntryName.h"

std::wstring BestFitForm(std::wstring_view name, std::span<const BestFitMapping> table) {
  std::wstring form(name);
  for (wchar_t& c : form) {
    if (static_cast<unsigned>(c) < 0x80 || static_cast<unsigned>(c) > 0xFFFF) continue;
    const auto it = std::lower_bound(table.begin(), table.end(), static_cast<char16_t>(c),
                                     [](const BestFitMapping& m, char16_t key) { return m.from < key; });
    if (it != table.end() && it->from == static_cast<char16_t>(c)) c = static_cast<wchar_t>(it->to);
  }
  return form;
}

namespace {
size_t Separators(std::wstring_view name) {
  return static_cast<size_t>(std::count_if(name.begin(), name.end(), [](wchar_t c) { return c == L'\\' || c == L'/'; }));
}
}  // namespace

unsigned CodePageMakingUnsafe(const std::wstring& name) {
  for (unsigned codePage : {1250u, 1252u, 932u}) {
    const std::wstring form = BestFitForm(name, BestFitToAscii(codePage));
    // A separator the conversion adds moves the file into another folder, however harmless
    // the parts look.
    if (Separators(form) != Separators(name) || !IsSafeEntryName(form)) return codePage;
  }
  return 0;
}
