// The string table: keyed lookups with remembered defaults, and loading the language block.
#include "support/Language.h"

#include <cwctype>
#include <filesystem>
#include <fstream>

#include "support/DebugLog.h"
#include "support/Utf8.h"

std::vector<std::wstring> LngStrings;

namespace {

std::wstring LeftFill(std::wstring text, size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), L'0');
  return text;
}

std::wstring RightAligned(int32_t id, size_t width) {
  std::wstring text = std::to_wstring(id);
  if (text.size() < width) text.insert(0, width - text.size(), L' ');
  return text;
}

bool SameKey(const std::wstring& line, size_t keyLength, const std::wstring& key) {
  if (keyLength != key.size()) return false;
  for (size_t i = 0; i < keyLength; ++i) {
    if (std::towlower(line[i]) != std::towlower(key[i])) return false;
  }
  return true;
}

// The first line whose part before its first "=" is key, without regard to case.
std::vector<std::wstring>::iterator FindLine(std::vector<std::wstring>& table,
                                             const std::wstring& key) {
  for (auto it = table.begin(); it != table.end(); ++it) {
    const size_t eq = it->find(L'=');
    if (eq != std::wstring::npos && SameKey(*it, eq, key)) return it;
  }
  return table.end();
}

// Windows paths are wide already; elsewhere file names are UTF-8 whatever the C locale says.
std::filesystem::path PathOf(const std::wstring& fileName) {
  if constexpr (sizeof(wchar_t) == 2) {
    return std::filesystem::path(fileName);
  } else {
    const std::string bytes = WideToUtf8(fileName);
    return std::filesystem::path(std::u8string(bytes.begin(), bytes.end()));
  }
}

std::wstring ValueOf(const std::wstring& line) { return line.substr(line.find(L'=') + 1); }

// Remembers text under key: in the line that has the key, or in a new last line.
void StoreValue(std::vector<std::wstring>& table, const std::wstring& key,
                const std::wstring& text) {
  auto it = FindLine(table, key);
  if (it != table.end()) {
    it->resize(it->find(L'=') + 1);
    *it += text;
  } else {
    table.push_back(key + L"=" + text);
  }
}

// The looked-up value, or empty when the key is missing or its value is empty.
std::wstring LookUp(const std::wstring& key) {
  auto it = FindLine(LngStrings, key);
  return it == LngStrings.end() ? std::wstring() : ValueOf(*it);
}

}  // namespace

std::wstring LngTextKey(int32_t id) { return LeftFill(std::to_wstring(id), 4); }

std::wstring LngHintKey(int32_t id) { return LeftFill(std::to_wstring(id) + L"h", 5); }

int ConvertLineMarks(std::wstring& text) {
  // LF CR holds no backslash, so no new mark can form and the search can go on where it was.
  int count = 0;
  for (size_t pos = text.find(L"\\\\"); pos != std::wstring::npos;
       pos = text.find(L"\\\\", pos + 2)) {
    text.replace(pos, 2, L"\n\r");
    ++count;
  }
  return count;
}

std::wstring GetLngString(int32_t id, const std::wstring& defaultText) {
  const std::wstring key = LngTextKey(id);
  std::wstring result = LookUp(key);
  if (result.empty()) {
    StoreValue(LngStrings, key, defaultText);
    LogProc(7, L"Missing String: " + RightAligned(id, 5) + L" - " + defaultText);
    result = defaultText;
  }
  ConvertLineMarks(result);
  return result;
}

std::wstring GetLngHint(int32_t id, const std::wstring& defaultText) {
  const std::wstring key = LngHintKey(id);
  std::wstring result = LookUp(key);
  if (result.empty() && !defaultText.empty()) {
    StoreValue(LngStrings, key, defaultText);
    LogProc(7, L"Missing Hint: " + RightAligned(id, 5) + L" - " + defaultText);
    result = defaultText;
  }
  ConvertLineMarks(result);
  return result;
}

bool LoadLanguageBlock(const std::wstring& fileName, std::vector<std::wstring>& target,
                       bool scrambled, bool sorted) {
  try {
    const std::filesystem::path path = PathOf(fileName);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;

    // std::ifstream opens without denying others read or write access.
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    file.seekg(0, std::ios::end);
    const std::streamoff end = file.tellg();
    if (end < static_cast<std::streamoff>(LanguageTrailerSize)) return false;
    const uint64_t fileSize = static_cast<uint64_t>(end);

    uint8_t trailer[LanguageTrailerSize] = {};
    file.seekg(end - static_cast<std::streamoff>(LanguageTrailerSize));
    file.read(reinterpret_cast<char*>(trailer), sizeof trailer);
    if (file.gcount() != static_cast<std::streamsize>(sizeof trailer)) return false;
    const std::optional<LanguageTrailer> block = ParseLanguageTrailer(trailer, fileSize);
    if (!block) return false;

    std::vector<uint8_t> area(static_cast<size_t>(block->textSize), 0);
    file.seekg(static_cast<std::streamoff>(block->textOffset));
    file.read(reinterpret_cast<char*>(area.data()), static_cast<std::streamsize>(area.size()));
    if (file.gcount() != static_cast<std::streamsize>(area.size())) return false;

    target = DecodeLanguageText(area, scrambled, sorted);
    return true;
  } catch (const std::exception&) {
    // An unreadable path or a block too large for memory: no translations, defaults stay.
    return false;
  }
}
