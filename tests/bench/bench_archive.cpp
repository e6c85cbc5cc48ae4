// Writes a benchmark archive: the files of a shape (BenchShape.h), deflated and ZipCrypto-
// encrypted with the product's password by libzip, as the distribution kit writes them.
// Usage: bench_archive small <entries> <archive>
//        bench_archive large <archive>
//        bench_archive tree small <entries> <folder>   (only the files, for peers and floors)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/bench/BenchShape.h"
#include "tools/kit/KitArchive.h"

namespace fs = std::filesystem;

namespace {

const char* const kPassword = "HaLtEr@20150307";

std::vector<bench::BenchFile> ShapeOf(const std::string& shape, const char* entries) {
  if (shape == "small") return bench::SmallShape(std::atoi(entries));
  return bench::LargeShape();
}

// Writes the shape's files below root; the archive's entries, folders first, sorted.
std::vector<KitEntry> WriteTree(const fs::path& root, const std::vector<bench::BenchFile>& files) {
  std::vector<KitEntry> entries;
  std::string lastFolder;
  for (size_t i = 0; i < files.size(); ++i) {
    const bench::BenchFile& f = files[i];
    const std::string folder = f.name.substr(0, f.name.rfind('/') + 1);
    if (folder != lastFolder) {
      // Every level once, in order, as the kit lists them.
      for (size_t slash = folder.find('/'); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
        const std::string level = folder.substr(0, slash + 1);
        if (lastFolder.compare(0, level.size(), level) != 0) entries.push_back({level, {}, true, 0});
      }
      fs::create_directories(root / folder);
      lastFolder = folder;
    }
    std::ofstream out(root / f.name, std::ios::binary);
    bench::ContentStream content(f, i);
    for (const std::string* b = &content.Next(); !b->empty(); b = &content.Next())
      out.write(b->data(), static_cast<std::streamsize>(b->size()));
    entries.push_back({f.name, root / f.name, false, f.size});
  }
  return entries;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "tree" && argc == 5) {
    WriteTree(argv[4], ShapeOf(argv[2], argv[3]));
    return 0;
  }
  const bool small = mode == "small" && argc == 4, large = mode == "large" && argc == 3;
  if (!small && !large) {
    std::fprintf(stderr, "usage: bench_archive small <entries> <archive> | large <archive> | tree small <entries> <folder>\n");
    return 2;
  }
  const fs::path archive = argv[argc - 1];
  const fs::path tree = archive.string() + ".content";
  fs::remove_all(tree);
  const std::vector<KitEntry> entries = WriteTree(tree, ShapeOf(mode, small ? argv[2] : nullptr));
  std::error_code ec;
  fs::remove(archive, ec);
  std::string error;
  const bool ok = WriteArchive(archive, entries, KitEncryption::ZipCrypto, kPassword, {}, error);
  fs::remove_all(tree);
  if (!ok) std::fprintf(stderr, "bench_archive: %s\n", error.c_str());
  return ok ? 0 : 1;
}
