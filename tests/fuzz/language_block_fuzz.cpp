// Seeded mutation fuzzer of the language block parser. Every input is an exact-size heap copy,
// so the sanitizers see any read outside it. Usage: language_block_fuzz [executions] [seed]
// Stops after the given executions or after 15 seconds, whichever comes first.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/Language.h"

namespace {

using Bytes = std::vector<uint8_t>;
std::mt19937_64 rng;

size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(rng() % n); }
bool Chance(int percent) { return Below(100) < static_cast<size_t>(percent); }

wchar_t RandomChar() {
  static const wchar_t common[] = {L'=', L'#', L'-', L'*', L'+', L'\\', L'0', L'h', L'H',
                                   L'a', L'Z', L'\u00E4', L'\u00DF', L'\uFEFF', L' '};
  switch (Below(4)) {
    case 0: return common[Below(sizeof common / sizeof common[0])];
    case 1: return static_cast<wchar_t>(0x20 + Below(0x5F));
    case 2: return static_cast<wchar_t>(0xA0 + Below(0xD800 - 0xA0));
    default:
      if constexpr (sizeof(wchar_t) == 4) return static_cast<wchar_t>(0x10000 + Below(0x100000));
      return static_cast<wchar_t>(0xE000 + Below(0x1FFE));
  }
}

// Lines that survive a round trip: no line breaks, no U+0000, no surrogate halves.
std::vector<std::wstring> RandomLines() {
  std::vector<std::wstring> lines(Below(12));
  for (auto& line : lines) {
    const size_t n = Below(40);
    for (size_t i = 0; i < n; ++i) line += RandomChar();
  }
  return lines;
}

Bytes RandomBytes(size_t n) {
  Bytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(rng());
  return b;
}

void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t RandomTotal(size_t fileSize) {
  switch (Below(6)) {
    case 0: return static_cast<uint32_t>(rng());
    case 1: return static_cast<uint32_t>(Below(12));
    case 2: return static_cast<uint32_t>(fileSize + Below(3));
    case 3: return static_cast<uint32_t>(fileSize - (fileSize ? Below(3) : 0));
    case 4: return 0x80000000u - static_cast<uint32_t>(Below(2));
    default: return static_cast<uint32_t>(Below(fileSize + 20));
  }
}

void Mutate(Bytes& b) {
  const size_t steps = 1 + Below(4);
  for (size_t s = 0; s < steps; ++s) {
    switch (Below(7)) {
      case 0:  // flip a bit
        if (!b.empty()) b[Below(b.size())] ^= static_cast<uint8_t>(1u << Below(8));
        break;
      case 1:  // set a byte
        if (!b.empty()) b[Below(b.size())] = static_cast<uint8_t>(rng());
        break;
      case 2:  // cut the end: truncated trailers
        b.resize(b.size() - Below(std::min<size_t>(b.size(), 12) + 1));
        break;
      case 3:  // cut the start
        b.erase(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(Below(b.size() + 1)));
        break;
      case 4:  // a new total size
        if (b.size() >= 4) PutLe32(&b[b.size() - 4], RandomTotal(b.size()));
        break;
      case 5:  // another version
        if (b.size() >= 6) {
          b[b.size() - 6] = static_cast<uint8_t>(Below(3));
          b[b.size() - 5] = static_cast<uint8_t>(Chance(80) ? 0 : rng());
        }
        break;
      default: {  // insert random bytes
        const Bytes extra = RandomBytes(Below(8));
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(Below(b.size() + 1)), extra.begin(), extra.end());
      }
    }
  }
}

// A random tail that looks like a trailer.
Bytes RandomWithTrailer() {
  Bytes b = RandomBytes(Below(64));
  b.insert(b.end(), {'L', 'n', 'g', 'B', 1, 0, 0, 0, 0, 0});
  PutLe32(&b[b.size() - 4], RandomTotal(b.size()));
  if (Chance(30)) b.resize(b.size() - Below(11));
  return b;
}

bool CheckLines(const std::vector<std::wstring>& lines, bool sorted) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos) return false;
    if (sorted && i > 0 && CompareLngLines(lines[i - 1], lines[i]) > 0) return false;
  }
  return true;
}

// Runs the parser on an exact-size copy; false when an invariant breaks.
bool RunOne(const Bytes& input, bool scrambled, bool sorted,
            const std::vector<std::wstring>* expected) {
  std::unique_ptr<uint8_t[]> exact(new uint8_t[input.size() ? input.size() : 1]);
  if (!input.empty()) std::memcpy(exact.get(), input.data(), input.size());
  const std::span<const uint8_t> file(exact.get(), input.size());

  const auto lines = ParseLanguageBlock(file, scrambled, sorted);
  if (expected) {
    if (!lines || *lines != *expected) return false;
  }
  if (lines && !CheckLines(*lines, sorted)) return false;

  if (input.size() >= LanguageTrailerSize) {
    const auto t = ParseLanguageTrailer(file.last(LanguageTrailerSize), input.size());
    if (t.has_value() != lines.has_value()) return false;
    if (t && (t->textOffset + t->textSize + LanguageTrailerSize != input.size())) return false;
  } else if (lines) {
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned long long executions = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 300000;
  const unsigned long long seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 20240309;
  rng.seed(seed);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);

  unsigned long long done = 0;
  for (; done < executions; ++done) {
    if (done % 1024 == 0 && std::chrono::steady_clock::now() > deadline) break;
    const bool scrambled = Chance(50);
    const bool sorted = Chance(50);
    bool ok = true;
    Bytes input;
    switch (Below(4)) {
      case 0: {  // a valid block after some program bytes: must read back exactly
        const auto lines = RandomLines();
        input = RandomBytes(Below(32));
        const Bytes block = BuildLanguageBlock(lines, scrambled);
        input.insert(input.end(), block.begin(), block.end());
        ok = RunOne(input, scrambled, false, &lines);
        break;
      }
      case 1: {  // a valid block, mutated
        input = RandomBytes(Below(16));
        const Bytes block = BuildLanguageBlock(RandomLines(), scrambled);
        input.insert(input.end(), block.begin(), block.end());
        Mutate(input);
        ok = RunOne(input, scrambled, sorted, nullptr);
        break;
      }
      case 2:
        input = RandomWithTrailer();
        ok = RunOne(input, scrambled, sorted, nullptr);
        break;
      default:
        input = RandomBytes(Below(96));
        ok = RunOne(input, scrambled, sorted, nullptr);
    }
    if (!ok) {
      std::fprintf(stderr, "language block fuzz: invariant broken at execution %llu (seed %llu), input:",
                   done, seed);
      for (uint8_t b : input) std::fprintf(stderr, " %02x", b);
      std::fprintf(stderr, "\n");
      return 1;
    }
  }
  std::printf("language block fuzz: %llu executions ran clean (seed %llu)\n", done, seed);
  return 0;
}
