// How the notes file is encoded: a byte-order mark selects UTF-8 or UTF-16, otherwise the
// system's ANSI code page applies.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

struct TextFileKind {
  TextEncoding encoding;
  size_t bomLength;
};

TextFileKind DetectTextEncoding(std::string_view bytes);

// Decodes UTF-16 of either byte order (UTF-8 is Utf8ToWideLenient of support/Utf8.h).
std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian);
