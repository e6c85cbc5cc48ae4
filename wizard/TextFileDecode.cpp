#include "wizard/TextFileDecode.h"

TextFileKind DetectTextEncoding(std::string_view b) {
  auto starts = [&](std::string_view bom) { return b.substr(0, bom.size()) == bom; };
  if (starts("\xEF\xBB\xBF")) return {TextEncoding::Utf8, 3};
  if (starts("\xFF\xFE")) return {TextEncoding::Utf16LE, 2};
  if (starts("\xFE\xFF")) return {TextEncoding::Utf16BE, 2};
  return {TextEncoding::Ansi, 0};
}

namespace {
void AppendCodePoint(std::wstring& out, char32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (cp >> 10));
      out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
      return;
    }
  }
  out += static_cast<wchar_t>(cp);
}
}  // namespace

std::wstring DecodeUtf8(std::string_view s) {
  std::wstring out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    char32_t cp = extra == 0 ? c : extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
    bool ok = extra >= 0 && i + static_cast<size_t>(extra < 0 ? 0 : extra) < s.size();
    for (int k = 1; ok && k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
      if ((cc & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (ok && (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    if (!ok) {
      out += L'\xFFFD';
      ++i;
      continue;
    }
    AppendCodePoint(out, cp);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

std::wstring DecodeUtf16(std::string_view s, bool bigEndian) {
  std::wstring out;
  out.reserve(s.size() / 2);
  for (size_t i = 0; i + 1 < s.size(); i += 2) {
    const auto a = static_cast<unsigned char>(s[i]), b = static_cast<unsigned char>(s[i + 1]);
    out += static_cast<wchar_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  }
  return out;
}
