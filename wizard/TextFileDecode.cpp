#include "wizard/TextFileDecode.h"

TextFileKind DetectTextEncoding(std::string_view b) {
  auto starts = [&](std::string_view bom) { return b.substr(0, bom.size()) == bom; };
  if (starts("\xEF\xBB\xBF")) return {TextEncoding::Utf8, 3};
  if (starts("\xFF\xFE")) return {TextEncoding::Utf16LE, 2};
  if (starts("\xFE\xFF")) return {TextEncoding::Utf16BE, 2};
  return {TextEncoding::Ansi, 0};
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
