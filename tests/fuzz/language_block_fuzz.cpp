// Fuzz driver of the language block loader. Each input is taken three ways: as a program file
// read the way the setup reads its own (scrambled, sorted), as one with a plain block, and as
// text lines that must survive a block written and read back. The file is an exact-size heap
// copy, so the sanitizers see any read outside it. A broken promise aborts with its reason.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "support/Language.h"
#include "support/Utf8.h"

namespace {

[[noreturn]] void Broken(const char* why) {
  std::fprintf(stderr, "language block fuzz: %s\n", why);
  std::abort();
}

void CheckParse(std::span<const uint8_t> file, bool scrambled, bool sorted) {
  const auto lines = ParseLanguageBlock(file, scrambled, sorted);
  const auto trailer = file.size() >= LanguageTrailerSize
                           ? ParseLanguageTrailer(file.last(LanguageTrailerSize), file.size())
                           : std::nullopt;
  if (trailer.has_value() != lines.has_value()) Broken("block found without a valid trailer, or the reverse");
  if (trailer && trailer->textOffset + trailer->textSize + LanguageTrailerSize != file.size())
    Broken("text area and trailer do not end the file");
  if (!lines) return;
  for (size_t i = 0; i < lines->size(); ++i) {
    if ((*lines)[i].find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos) Broken("line holds a break or U+0000");
    if (sorted && i > 0 && CompareLngLines((*lines)[i - 1], (*lines)[i]) > 0) Broken("lines not sorted");
  }
}

// The input's text as lines a block can carry: no breaks, no U+0000, no surrogate halves.
std::vector<std::wstring> LinesOf(const uint8_t* data, size_t size) {
  const std::wstring text = Utf8ToWideLenient(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<std::wstring> lines(1);
  for (wchar_t c : text) {
    if (c == L'\n' || c == L'\r') lines.emplace_back();
    else if (c != 0 && !(c >= 0xD800 && c <= 0xDFFF)) lines.back() += c;
  }
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> exact(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(exact.get(), data, size);
  const std::span<const uint8_t> file(exact.get(), size);
  CheckParse(file, true, true);
  CheckParse(file, false, false);

  if (size <= 4096) {
    const bool scrambled = size % 2 == 1;
    const std::vector<std::wstring> lines = LinesOf(data, size);
    std::vector<uint8_t> program(data, data + size % 17);  // some program bytes before the block
    const std::vector<uint8_t> block = BuildLanguageBlock(lines, scrambled);
    program.insert(program.end(), block.begin(), block.end());
    const auto back = ParseLanguageBlock(program, scrambled, false);
    if (!back || *back != lines) Broken("a written block does not read back");
  }
  return 0;
}
