// The language block's byte format: trailer, scrambling, UTF-16LE text and its lines.
#include "support/Language.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t ReadLe32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void AppendUtf16Le(std::vector<uint8_t>& out, uint16_t unit) {
  out.push_back(static_cast<uint8_t>(unit & 0xFF));
  out.push_back(static_cast<uint8_t>(unit >> 8));
}

// One wide character as UTF-16 (wchar_t holds UTF-32 outside Windows).
void AppendCharUtf16Le(std::vector<uint8_t>& out, wchar_t c) {
  const uint32_t code = static_cast<uint32_t>(c);
  if (code > 0xFFFF && code <= 0x10FFFF) {
    AppendUtf16Le(out, static_cast<uint16_t>(0xD800 + ((code - 0x10000) >> 10)));
    AppendUtf16Le(out, static_cast<uint16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
  } else {
    AppendUtf16Le(out, static_cast<uint16_t>(code > 0xFFFF ? 0xFFFD : code));
  }
}

// UTF-16 units up to the first U+0000 as wide text; a trailing odd byte is no character.
std::wstring ReadUtf16Le(std::span<const uint8_t> area) {
  std::wstring text;
  const size_t units = area.size() / 2;
  text.reserve(units);
  for (size_t i = 0; i < units; ++i) {
    const uint16_t unit = static_cast<uint16_t>(area[2 * i] | area[2 * i + 1] << 8);
    if (unit == 0) break;
    if constexpr (sizeof(wchar_t) == 2) {
      text += static_cast<wchar_t>(unit);
    } else {
      // Join a surrogate pair into one character; a lone surrogate stays as it is.
      if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
        const uint16_t low = static_cast<uint16_t>(area[2 * i + 2] | area[2 * i + 3] << 8);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          text += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
          ++i;
          continue;
        }
      }
      text += static_cast<wchar_t>(unit);
    }
  }
  return text;
}

// Lines end at CR LF, CR or LF; a break at the very end opens no further line.
std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + ((text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ? 2 : 1);
  }
  return lines;
}

}  // namespace

bool UnscrambleLanguageBlock(uint8_t* bytes, size_t count) {
  if (count == 0) return true;
  // From the end backwards, so that bytes[i - 1] is still scrambled when bytes[i] needs it.
  for (size_t i = count - 1; i >= 1; --i) bytes[i] ^= bytes[i - 1];
  bytes[0] ^= LanguageBlockSeed;
  return true;
}

void ScrambleLanguageBlock(uint8_t* bytes, size_t count) {
  if (count == 0) return;
  bytes[0] ^= LanguageBlockSeed;
  for (size_t i = 1; i < count; ++i) bytes[i] ^= bytes[i - 1];
}

std::optional<LanguageTrailer> ParseLanguageTrailer(std::span<const uint8_t> trailer,
                                                    uint64_t fileSize) {
  if (trailer.size() != LanguageTrailerSize || fileSize < LanguageTrailerSize) return std::nullopt;
  if (std::memcmp(trailer.data(), "LngB", 4) != 0) return std::nullopt;
  const uint16_t version = static_cast<uint16_t>(trailer[4] | trailer[5] << 8);
  if (version != LanguageBlockVersion) return std::nullopt;
  const int32_t total = static_cast<int32_t>(ReadLe32(trailer.data() + 6));
  // A size that does not fit the trailer and the file cannot be read as described.
  if (total < static_cast<int32_t>(LanguageTrailerSize) || static_cast<uint64_t>(total) > fileSize)
    return std::nullopt;
  LanguageTrailer block;
  block.textOffset = fileSize - static_cast<uint64_t>(total);
  block.textSize = static_cast<uint64_t>(total) - LanguageTrailerSize;
  return block;
}

std::vector<std::wstring> DecodeLanguageText(std::span<uint8_t> area, bool scrambled,
                                             bool sorted) {
  if (scrambled) UnscrambleLanguageBlock(area.data(), area.size());
  std::wstring text = ReadUtf16Le(area);
  if (!text.empty() && text[0] == L'\uFEFF') text.erase(0, 1);
  std::vector<std::wstring> lines = SplitLines(text);
  if (sorted) {
    std::stable_sort(lines.begin(), lines.end(), [](const std::wstring& a, const std::wstring& b) {
      return CompareLngLines(a, b) < 0;
    });
  }
  return lines;
}

std::optional<std::vector<std::wstring>> ParseLanguageBlock(std::span<const uint8_t> file,
                                                            bool scrambled, bool sorted) {
  if (file.size() < LanguageTrailerSize) return std::nullopt;
  const auto block = ParseLanguageTrailer(file.last(LanguageTrailerSize), file.size());
  if (!block) return std::nullopt;
  const auto text = file.subspan(static_cast<size_t>(block->textOffset),
                                 static_cast<size_t>(block->textSize));
  std::vector<uint8_t> area(text.begin(), text.end());
  return DecodeLanguageText(area, scrambled, sorted);
}

std::vector<uint8_t> BuildLanguageBlock(const std::vector<std::wstring>& lines, bool scrambled) {
  std::vector<uint8_t> block;
  AppendUtf16Le(block, 0xFEFF);
  for (const std::wstring& line : lines) {
    for (wchar_t c : line) AppendCharUtf16Le(block, c);
    AppendUtf16Le(block, L'\r');
    AppendUtf16Le(block, L'\n');
  }
  if (scrambled) ScrambleLanguageBlock(block.data(), block.size());
  const uint32_t total = static_cast<uint32_t>(block.size() + LanguageTrailerSize);
  block.insert(block.end(), {'L', 'n', 'g', 'B'});
  AppendUtf16Le(block, LanguageBlockVersion);
  for (int shift = 0; shift < 32; shift += 8) block.push_back(static_cast<uint8_t>(total >> shift));
  return block;
}
