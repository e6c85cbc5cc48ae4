#include "support/LanguageTexts.h"

#include <climits>

#include "support/Language.h"
#include "support/Utf8.h"

bool ParseTranslationLines(std::string_view bytes, std::vector<std::wstring>& lines, std::string& error) {
  std::string_view text = bytes;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  size_t start = 0;
  for (int number = 1; start <= text.size(); ++number) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(start, end - start);
    start = end + 1;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    if (raw.empty()) continue;
    const std::optional<std::wstring> decoded = Utf8ToWide(raw);
    if (!decoded) {
      error = "line " + std::to_string(number) + ": not valid UTF-8";
      return false;
    }
    const std::wstring& line = *decoded;
    if (line.find_first_of(std::wstring(L"\0\r", 2)) != std::wstring::npos) {
      error = "line " + std::to_string(number) + ": contains a NUL or a lone CR";
      return false;
    }
    const size_t eq = line.find(L'=');
    if (eq == std::wstring::npos || eq == 0) {
      error = "line " + std::to_string(number) + ": not of the form key=value";
      return false;
    }
    lines.push_back(line);
  }
  return true;
}

std::optional<std::vector<uint8_t>> WithLanguageBlock(std::vector<uint8_t> program,
                                                      const std::vector<std::wstring>& lines, size_t* blockSize) {
  if (program.size() >= LanguageTrailerSize) {
    if (auto old = ParseLanguageTrailer(std::span<const uint8_t>(program).last(LanguageTrailerSize), program.size()))
      program.resize(static_cast<size_t>(old->textOffset));
  }
  const std::vector<uint8_t> block = BuildLanguageBlock(lines, true);
  if (block.size() > static_cast<size_t>(INT32_MAX)) return std::nullopt;
  if (blockSize) *blockSize = block.size();
  program.insert(program.end(), block.begin(), block.end());
  return program;
}
