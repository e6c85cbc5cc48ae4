#include <iterator>

#include "install/UninstallJournal.h"

namespace {
// The characters of 0x80..0x9F in Windows-1252; 0 where the code page has none.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

std::string ToWindows1252(const std::wstring& text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (wchar_t wc : text) {
    const auto c = static_cast<char32_t>(wc);
    char out = '?';
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out = static_cast<char>(c);
    } else {
      for (size_t i = 0; i < std::size(kHighControls); ++i)
        if (kHighControls[i] != 0 && kHighControls[i] == c) out = static_cast<char>(0x80 + i);
    }
    bytes += out;
  }
  return bytes;
}
