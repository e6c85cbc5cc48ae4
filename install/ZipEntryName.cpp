#include "install/ZipEntryName.h"

#include <algorithm>
#include <string_view>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

wchar_t AsciiUpper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

// Windows opens a device for these names whatever extension follows ("NUL.txt", "com1 .log").
bool IsDeviceName(std::wstring_view segment) {
  std::wstring_view stem = segment.substr(0, segment.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
  for (std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
    if (EqualsNoCase(stem, device)) return true;
  if (stem.size() == 4 && (EqualsNoCase(stem.substr(0, 3), L"COM") || EqualsNoCase(stem.substr(0, 3), L"LPT"))) {
    const wchar_t d = stem[3];
    // Digits, and the superscripts 1, 2, 3 that newer Windows versions treat the same way.
    return (d >= L'0' && d <= L'9') || d == L'\u00B9' || d == L'\u00B2' || d == L'\u00B3';
  }
  return false;
}

bool IsSafeSegment(std::wstring_view segment) {
  if (segment.empty() || segment == L"." || segment == L"..") return false;
  if (segment.back() == L'.' || segment.back() == L' ') return false;
  return !IsDeviceName(segment);
}

}  // namespace

bool IsSafeEntryName(const std::wstring& name) {
  if (name.empty() || IsSeparator(name.front())) return false;
  for (wchar_t c : name)
    if (c == L':' || static_cast<unsigned>(c) < 0x20 || c == 0x7F) return false;
  std::wstring_view rest(name);
  // A trailing separator marks a folder entry; it is no empty segment.
  if (IsSeparator(rest.back())) rest.remove_suffix(1);
  while (true) {
    size_t end = 0;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    if (!IsSafeSegment(rest.substr(0, end))) return false;
    if (end == rest.size()) return true;
    rest.remove_prefix(end + 1);
  }
}

bool IsSafeEntryNameInAnsi(const std::wstring& name, const AnsiFormFn& ansiForm) {
  if (!IsSafeEntryName(name)) return false;
  const std::wstring ansi = ansiForm(name);
  if (!IsSafeEntryName(ansi)) return false;
  return std::count_if(ansi.begin(), ansi.end(), IsSeparator) == std::count_if(name.begin(), name.end(), IsSeparator);
}
