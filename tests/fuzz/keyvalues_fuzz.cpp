// Fuzz target of the store client's text format and the checks on the paths read from it.
// LLVMFuzzerTestOneInput is the target; built without libFuzzer, main runs a seeded mutation
// loop over the seed corpus. Every input is an exact-size heap copy, so the sanitizers see any
// read outside it. Usage: keyvalues_fuzz [executions] [seed]; stops after the executions or
// 15 seconds, whichever comes first.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/KeyValuesText.h"
#include "support/SteamLibrary.h"
#include "support/Utf8.h"

namespace {

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// Writes a parsed tree back in the format; parsing that again must give the same tree.
void Write(const KeyValuesNode& section, std::string& out) {
  for (const KeyValuesNode& item : section.children) {
    out += Quoted(item.key);
    if (item.isSection) {
      out += " {\n";
      Write(item, out);
      out += "}\n";
    } else {
      out += " " + Quoted(item.value) + "\n";
    }
  }
}

bool SameTree(const KeyValuesNode& a, const KeyValuesNode& b) {
  if (a.key != b.key || a.value != b.value || a.isSection != b.isSection || a.children.size() != b.children.size())
    return false;
  for (size_t i = 0; i < a.children.size(); ++i)
    if (!SameTree(a.children[i], b.children[i])) return false;
  return true;
}

bool HasDotSegment(const std::wstring& path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    const std::wstring segment = path.substr(start, end - start);
    if (segment == L"." || segment == L"..") return true;
    start = end + 1;
  }
  return false;
}

// The promises the setup relies on for what it accepts.
void CheckAccepted(const KeyValuesNode& file) {
  std::vector<std::string> rejected;
  const auto libraries = LibrariesToSearch(L"c:/steam", LibraryFoldersFromList(file), &rejected);
  for (const std::wstring& library : libraries) {
    if (library.size() < 2 || library[1] != L':' || library.find(L'/') != std::wstring::npos ||
        library.find(L':', 2) != std::wstring::npos || HasDotSegment(library) || NormalizeLibraryPath(library + L"\\") != library)
      std::abort();
    for (wchar_t c : library)
      if (static_cast<unsigned>(c) < 0x20) std::abort();
  }
  if (auto raw = InstallDirFromManifest(file)) {
    const auto name = Utf8ToWide(*raw);
    if (name && IsPlainFolderName(*name)) {
      const std::wstring folder = GameFolderInLibrary(L"D:\\Lib", *name);
      if (folder.rfind(L"D:\\Lib\\steamapps\\common\\", 0) != 0 || HasDotSegment(folder) ||
          NormalizeLibraryPath(folder) != folder.substr(0, folder.size() - 1))
        std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const std::optional<KeyValuesNode> file = ParseKeyValues(text, &error);
  if (!file) {
    if (error.empty()) std::abort();
    return 0;
  }
  std::string written;
  Write(*file, written);
  const std::optional<KeyValuesNode> again = ParseKeyValues(written, &error);
  if (!again || !SameTree(*file, *again)) std::abort();
  CheckAccepted(*file);
  return 0;
}

#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
namespace {

std::mt19937_64 rng;
size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(rng() % n); }

std::vector<std::string> LoadSeeds() {
  std::vector<std::string> seeds;
  for (const auto& entry : std::filesystem::directory_iterator(KEYVALUES_SEED_CORPUS)) {
    std::ifstream in(entry.path(), std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return seeds;
}

void Mutate(std::string& s, const std::vector<std::string>& seeds) {
  static const char* const pieces[] = {"{", "}", "\"", "\\", "\\\"", "//", "\n", "[$WIN32]", "..", "\\..\\",
                                       "C:\\", "\\\\srv\\", ":", "\"path\"", "\"installdir\"", "\"1\"", " ", "\t",
                                       "\"libraryfolders\"", "\"AppState\"", "\xC0\xAF", "\xEF\xBC\x8F", "\x7f"};
  const size_t steps = 1 + Below(5);
  for (size_t i = 0; i < steps; ++i) {
    const size_t at = Below(s.size() + 1);
    switch (Below(5)) {
      case 0:
        if (!s.empty()) s[Below(s.size())] = static_cast<char>(rng());
        break;
      case 1:
        s.insert(at, pieces[Below(sizeof pieces / sizeof pieces[0])]);
        break;
      case 2:
        s.erase(at, Below(16));
        break;
      case 3: {  // splice a piece of another seed
        const std::string& other = seeds[Below(seeds.size())];
        const size_t from = Below(other.size() + 1);
        s.insert(at, other.substr(from, Below(64)));
        break;
      }
      default:  // repeat a piece: deep nesting, long strings
        if (!s.empty()) {
          const std::string piece = s.substr(at > 0 ? at - 1 : 0, 1 + Below(8));
          for (size_t r = Below(40); r > 0; --r) s.insert(at, piece);
        }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned long long executions = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 200000;
  const unsigned long long seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 20261211;
  rng.seed(seed);
  const std::vector<std::string> seeds = LoadSeeds();
  if (seeds.empty()) {
    std::fprintf(stderr, "keyvalues fuzz: no seeds in %s\n", KEYVALUES_SEED_CORPUS);
    return 1;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  unsigned long long done = 0;
  for (; done < executions; ++done) {
    if (done % 1024 == 0 && std::chrono::steady_clock::now() > deadline) break;
    std::string input = done < seeds.size() ? seeds[done] : seeds[Below(seeds.size())];
    if (done >= seeds.size()) Mutate(input, seeds);
    std::unique_ptr<uint8_t[]> exact(new uint8_t[input.size() ? input.size() : 1]);
    std::memcpy(exact.get(), input.data(), input.size());
    LLVMFuzzerTestOneInput(exact.get(), input.size());
  }
  std::printf("keyvalues fuzz: %llu executions ran clean (seed %llu)\n", done, seed);
  return 0;
}
#endif
