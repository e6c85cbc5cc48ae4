// langblock: appends a language block to a program file, or replaces the block it ends in.
//   langblock <exe> <texts.txt>
// texts.txt is UTF-8 (an optional BOM is skipped), one key=value line each, CR LF or LF;
// empty lines are skipped. The block is UTF-16LE with BOM, scrambled as the setup expects.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/Language.h"
#include "support/LanguageTexts.h"
#include "tools/kit/ToolFiles.h"

namespace fs = std::filesystem;

namespace {

int Run(const fs::path& exePath, const fs::path& textPath) {
  const auto exe = ReadFileBytes(exePath);
  if (!exe) {
    std::fprintf(stderr, "langblock: cannot read %s\n", Shown(exePath).c_str());
    return 1;
  }
  const auto texts = ReadFileBytes(textPath);
  if (!texts) {
    std::fprintf(stderr, "langblock: cannot read %s\n", Shown(textPath).c_str());
    return 1;
  }
  std::vector<std::wstring> lines;
  std::string error;
  if (!ParseTranslationLines(std::string_view(reinterpret_cast<const char*>(texts->data()), texts->size()), lines,
                             error)) {
    std::fprintf(stderr, "langblock: %s: %s\n", Shown(textPath).c_str(), error.c_str());
    return 1;
  }
  size_t blockSize = 0;
  const std::optional<std::vector<uint8_t>> result = WithLanguageBlock(*exe, lines, &blockSize);
  if (!result) {
    std::fprintf(stderr, "langblock: the texts are too large for one block\n");
    return 1;
  }

  // Write a sibling first so that a failed write leaves the program file as it was.
  fs::path temp = exePath;
  temp += ".langblock.tmp";
  std::error_code ec;
  const fs::perms mode = fs::status(exePath, ec).permissions();
  if (!WriteFileBytes(temp, *result)) {
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
  std::printf("langblock: %zu lines, block of %zu bytes\n", lines.size(), blockSize);
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
