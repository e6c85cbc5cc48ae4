// langblock: appends a language block to a program file, or replaces the block it ends in.
//   langblock <exe> <texts.txt>
// texts.txt is UTF-8 (an optional BOM is skipped), one key=value line each, CR LF or LF;
// empty lines are skipped. The block is UTF-16LE with BOM, scrambled as the setup expects.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "support/Language.h"
#include "support/Utf8.h"

namespace fs = std::filesystem;

namespace {

std::string Shown(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::optional<std::vector<uint8_t>> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

// The key=value lines of the text file, or an error message.
bool ReadTexts(const std::vector<uint8_t>& bytes, std::vector<std::wstring>& lines,
               std::string& error) {
  std::string text(bytes.begin(), bytes.end());
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  size_t start = 0;
  for (int number = 1; start <= text.size(); ++number) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string raw = text.substr(start, end - start);
    start = end + 1;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
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

int Run(const fs::path& exePath, const fs::path& textPath) {
  const auto exe = ReadFile(exePath);
  if (!exe) {
    std::fprintf(stderr, "langblock: cannot read %s\n", Shown(exePath).c_str());
    return 1;
  }
  const auto texts = ReadFile(textPath);
  if (!texts) {
    std::fprintf(stderr, "langblock: cannot read %s\n", Shown(textPath).c_str());
    return 1;
  }
  std::vector<std::wstring> lines;
  std::string error;
  if (!ReadTexts(*texts, lines, error)) {
    std::fprintf(stderr, "langblock: %s: %s\n", Shown(textPath).c_str(), error.c_str());
    return 1;
  }
  const std::vector<uint8_t> block = BuildLanguageBlock(lines, true);
  if (block.size() > static_cast<size_t>(INT32_MAX)) {
    std::fprintf(stderr, "langblock: the texts are too large for one block\n");
    return 1;
  }

  // Drop a block the file already ends in, then append the new one.
  std::vector<uint8_t> result = *exe;
  if (result.size() >= LanguageTrailerSize) {
    if (auto old = ParseLanguageTrailer(std::span<const uint8_t>(result).last(LanguageTrailerSize),
                                        result.size())) {
      result.resize(static_cast<size_t>(old->textOffset));
    }
  }
  result.insert(result.end(), block.begin(), block.end());

  // Write a sibling first so that a failed write leaves the program file as it was.
  fs::path temp = exePath;
  temp += ".langblock.tmp";
  std::error_code ec;
  const fs::perms mode = fs::status(exePath, ec).permissions();
  if (!WriteFile(temp, result)) {
    fs::remove(temp, ec);
    std::fprintf(stderr, "langblock: cannot write %s\n", Shown(temp).c_str());
    return 1;
  }
  if (mode != fs::perms::unknown) fs::permissions(temp, mode, ec);
  fs::rename(temp, exePath, ec);
  if (ec) {
    fs::remove(temp, ec);
    std::fprintf(stderr, "langblock: cannot replace %s\n", Shown(exePath).c_str());
    return 1;
  }
  std::printf("langblock: %zu lines, block of %zu bytes\n", lines.size(), block.size());
  return 0;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  if (argc != 3) {
    std::fprintf(stderr, "usage: langblock <exe> <texts.txt>\n");
    return 2;
  }
  return Run(fs::path(argv[1]), fs::path(argv[2]));
}
