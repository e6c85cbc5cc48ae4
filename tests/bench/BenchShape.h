// The shapes of the benchmark archives, shared by the archive generator and the Windows floor
// program, so that both write the same files: names, folders, sizes and content from one seed.
//   small: N files of 1–8 KiB, 500 to a folder (a map add-on's tiles; 20,000 make 40 folders)
//   large: 8 files of 128 MiB, four of random bytes and four of text
// Portable: no Windows headers.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace bench {

inline constexpr uint64_t kSeed = 20150307;
inline constexpr int kFilesPerFolder = 500;

struct BenchFile {
  std::string name;  // relative, "/" separators
  uint64_t size = 0;
  bool random = false;  // random bytes throughout; otherwise text with some random blocks
};

inline std::string Numbered(const char* stem, int n, int width) {
  std::string digits = std::to_string(n);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
  return stem + digits;
}

inline std::vector<BenchFile> SmallShape(int entries) {
  std::mt19937_64 rng(kSeed);
  std::vector<BenchFile> files;
  files.reserve(static_cast<size_t>(entries));
  for (int i = 0; i < entries; ++i) {
    const std::string folder = Numbered("kachel_", i / kFilesPerFolder, 3);
    files.push_back({"maps/" + folder + "/" + Numbered("objekt_", i % kFilesPerFolder, 3) + ".cfg",
                     1024 + rng() % (7 * 1024 + 1), false});
  }
  return files;
}

inline std::vector<BenchFile> LargeShape() {
  std::vector<BenchFile> files;
  for (int i = 0; i < 8; ++i)
    files.push_back({"textures/" + Numbered("paket_", i, 1) + ".bin", 128ull << 20, i % 2 == 0});
  return files;
}

// The content of one file in blocks of up to 4 KiB: deterministic for the file's position in
// its shape, moderately compressible text (with one random block in five) or random bytes.
class ContentStream {
 public:
  ContentStream(const BenchFile& file, uint64_t position) : file(file), rng(kSeed ^ (position * 0x9E3779B97F4A7C15ull)) {}
  // The next block, empty at the end.
  const std::string& Next() {
    static const char* const words[] = {"Haltestelle", "Bus", "Linie", "Ostrauwen", "Fahrplan", "Strasse", "Depot",
                                        "Kreuzung", "Ampel", "Gleis", "Dach", "Textur", "Modell", "Schild",
                                        "0.25", "1024", "true", "false", "=", "\n"};
    block.clear();
    if (done >= file.size) return block;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(4096, file.size - done));
    if (file.random || rng() % 5 == 0) {
      block.resize(n);
      for (size_t i = 0; i + 8 <= n; i += 8) {
        const uint64_t r = rng();
        for (int b = 0; b < 8; ++b) block[i + static_cast<size_t>(b)] = static_cast<char>(r >> (8 * b));
      }
      for (size_t i = n & ~size_t{7}; i < n; ++i) block[i] = static_cast<char>(rng());
    } else {
      while (block.size() < n) {
        block += words[rng() % std::size(words)];
        block += ' ';
      }
      block.resize(n);
    }
    done += n;
    return block;
  }

 private:
  const BenchFile& file;
  std::mt19937_64 rng;
  std::string block;
  uint64_t done = 0;
};

}  // namespace bench
