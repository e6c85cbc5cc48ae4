#include "support/Utf8.h"

#include <cstdint>

namespace {

bool IsHigh(uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(std::string& out, uint32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendWide(std::wstring& out, uint32_t c) {
  if (sizeof(wchar_t) == 2 && c > 0xFFFF) {
    out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  } else {
    out += static_cast<wchar_t>(c);
  }
}

}  // namespace

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = static_cast<uint32_t>(text[i]);
    if (IsHigh(c) && i + 1 < text.size() && IsLow(static_cast<uint32_t>(text[i + 1]))) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(text[++i]) - 0xDC00);
    }
    AppendUtf8(out, c);
  }
  return out;
}

namespace {

// Decodes the sequence at bytes[i]: its code point and length, or length 0 when it is not
// well-formed (bad lead or continuation byte, cut off, overlong, surrogate, beyond U+10FFFF).
struct Decoded {
  uint32_t code;
  size_t length;
};

Decoded DecodeAt(std::string_view bytes, size_t i) {
  static const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
  const auto b = static_cast<uint8_t>(bytes[i]);
  const int extra = b < 0x80                ? 0
                    : (b & 0xE0) == 0xC0 ? 1
                    : (b & 0xF0) == 0xE0 ? 2
                    : (b & 0xF8) == 0xF0 ? 3
                                         : -1;
  if (extra < 0 || bytes.size() - i <= static_cast<size_t>(extra)) return {0, 0};
  uint32_t code = extra == 0 ? b : (b & (0x3Fu >> extra));
  for (int k = 1; k <= extra; ++k) {
    const auto c = static_cast<uint8_t>(bytes[i + static_cast<size_t>(k)]);
    if ((c & 0xC0) != 0x80) return {0, 0};
    code = code << 6 | (c & 0x3F);
  }
  if (code < least[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {0, 0};
  return {code, static_cast<size_t>(extra) + 1};
}

}  // namespace

std::optional<std::wstring> Utf8ToWide(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const Decoded d = DecodeAt(bytes, i);
    if (d.length == 0) return std::nullopt;
    AppendWide(text, d.code);
    i += d.length;
  }
  return text;
}

std::wstring Utf8ToWideLenient(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const Decoded d = DecodeAt(bytes, i);
    AppendWide(text, d.length ? d.code : 0xFFFD);
    i += d.length ? d.length : 1;
  }
  return text;
}

bool IsValidUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const size_t n = DecodeAt(bytes, i).length;
    if (n == 0) return false;
    i += n;
  }
  return true;
}
