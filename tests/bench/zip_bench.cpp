// Benchmark of the archive component against Info-ZIP unzip and 7-Zip on the same archives:
// (a) 20,000 small files, (b) four files of 256 MiB, both ZipCrypto-encrypted by Info-ZIP zip.
// The component extracts entry by entry as the install run does (clear FSpecArgs, add the
// name, set ExtrBaseDir, Extract). Each extractor runs in a process of its own, so that peak
// memory (ru_maxrss) and CPU times are its own. Prints figures; it is no pass/fail test.
// Usage: zip_bench [work folder]          (default: a new folder in /tmp, removed afterwards)
//        zip_bench --extract <archive> <target folder>   (the component's run, used internally)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "install/ZipMaster.h"
#include "install/ZipNameDecode.h"
#include "support/DebugLog.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
const char* const kPassword = "HaLtEr@20150307";

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The install run's loop over one archive. Prints listing and extraction times.
int ExtractAsInstallRun(const std::string& archive, const std::string& targetDir) {
  LogProc = [](int32_t, const std::wstring&) {};
  const auto start = Clock::now();
  TZipMaster zm;
  zm.showMessage = [](const std::wstring& text) { std::fprintf(stderr, "%s\n", WideToUtf8(text).c_str()); };
  zm.setZipFileName(Utf8ToWideLenient(archive));
  zm.setExtrOptions(zm.ExtrOptions() + ExtrOverWrite);
  zm.setUseDirOnlyEntries(true);
  zm.setPassword(Utf8ToWideLenient(kPassword));
  const auto listed = Clock::now();
  const std::wstring target = Utf8ToWideLenient(targetDir) + L"/";
  for (int i = 0; i < zm.Count(); ++i) {
    zm.FSpecArgs().clear();
    zm.setExtrBaseDir(target);
    const std::wstring name = zm.DirEntry(i).FileName;
    zm.FSpecArgs().push_back(name);
    const std::wstring relFolder = name.substr(0, name.find_last_of(L'\\') + 1);
    std::wstring folder = target + relFolder;
    for (wchar_t& c : folder)
      if (c == L'\\') c = L'/';
    const fs::path folderPath(WideToUtf8(folder));
    if (!fs::is_directory(folderPath)) fs::create_directories(folderPath);  // the run's CreateDirWithJournal
    zm.setExtrBaseDir(target + relFolder);
    if (const int rc = zm.Extract(); rc != 0) {
      std::fprintf(stderr, "Extract of entry %d failed: %d\n", i, rc);
      return 2;
    }
  }
  const auto done = Clock::now();
  std::printf("    component: listing %.3f s (%d entries), extraction %.3f s\n", Seconds(listed - start), zm.Count(),
              Seconds(done - listed));
  return 0;
}

struct Run {
  double seconds = 0, user = 0, system = 0;
  long maxRssKiB = 0;
  int status = -1;
};

// Runs a program in a child process and measures it.
Run Measure(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::fflush(stdout);
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    execvp(argv[0], argv.data());
    _exit(127);
  }
  Run run;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.seconds = Seconds(Clock::now() - start);
  run.user = static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6;
  run.system = static_cast<double>(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec / 1e6;
  run.maxRssKiB = usage.ru_maxrss;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

// Deterministic, moderately compressible content: text runs with random-byte runs in between
// (roughly like configuration files next to textures).
void WriteContent(const fs::path& file, uint64_t size, std::mt19937_64& rng) {
  static const char* const words[] = {"Haltestelle", "Bus", "Linie", "Ostrauwen", "Fahrplan", "Strasse", "Depot",
                                      "Kreuzung", "Ampel", "Gleis", "Dach", "Textur", "Modell", "Schild",
                                      "0.25", "1024", "true", "false", "=", "\n"};
  std::ofstream out(file, std::ios::binary);
  std::string block;
  while (size > 0) {
    block.clear();
    if (rng() % 5 == 0) {
      block.resize(4096);
      for (char& c : block) c = static_cast<char>(rng());
    } else {
      while (block.size() < 4096) {
        block += words[rng() % std::size(words)];
        block += ' ';
      }
    }
    const size_t n = static_cast<size_t>(std::min<uint64_t>(size, block.size()));
    out.write(block.data(), static_cast<std::streamsize>(n));
    size -= n;
  }
}

struct Data {
  uint64_t bytes = 0;
  int files = 0;
};

Data MakeSmall(const fs::path& root, std::mt19937_64& rng) {
  Data d;
  for (int dir = 0; dir < 100; ++dir) {
    const fs::path folder = root / "maps" / ("kachel_" + std::to_string(dir));
    fs::create_directories(folder);
    for (int f = 0; f < 200; ++f) {
      const uint64_t size = 200 + rng() % 3800;
      WriteContent(folder / ("objekt_" + std::to_string(f) + ".cfg"), size, rng);
      d.bytes += size;
      ++d.files;
    }
  }
  return d;
}

Data MakeLarge(const fs::path& root, std::mt19937_64& rng) {
  Data d;
  fs::create_directories(root / "textures");
  for (int f = 0; f < 4; ++f) {
    const uint64_t size = 256ull << 20;
    WriteContent(root / "textures" / ("paket_" + std::to_string(f) + ".bin"), size, rng);
    d.bytes += size;
    ++d.files;
  }
  return d;
}

uint64_t TreeBytes(const fs::path& root) {
  uint64_t total = 0;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) total += e.file_size();
  return total;
}

void Report(const char* tool, const Run& r, const Data& d, uint64_t outBytes) {
  std::printf("  %-10s %8.2f s  %8.1f MB/s  %9.1f entries/s  peak %6.1f MiB  (user %.2f s, sys %.2f s)%s\n", tool,
              r.seconds, d.bytes / 1e6 / r.seconds, d.files / r.seconds, r.maxRssKiB / 1024.0, r.user, r.system,
              r.status != 0 || outBytes != d.bytes ? "  FAILED" : "");
}

void Bench(const char* title, const fs::path& work, const fs::path& archive, const Data& d, const std::string& self) {
  std::printf("\n%s: %d files, %.1f MB, archive %.1f MB\n", title, d.files, d.bytes / 1e6, fs::file_size(archive) / 1e6);
  const fs::path out = work / "out";
  struct Tool {
    const char* name;
    std::vector<std::string> args;
  };
  const std::string a = archive.string(), o = out.string();
  const Tool tools[] = {
      {"component", {self, "--extract", a, o}},
      {"unzip", {"unzip", "-qq", "-o", "-P", kPassword, a, "-d", o}},
      {"7z", {"7z", "x", "-y", "-bd", "-bso0", "-bsp0", std::string("-p") + kPassword, "-o" + o, a}},
  };
  double componentSeconds = 0, unzipSeconds = 0;
  for (const Tool& t : tools) {
    fs::remove_all(out);
    fs::create_directories(out);
    Shell("cat '" + a + "' > /dev/null");  // the same warm cache for every tool
    const Run r = Measure(t.args);
    Report(t.name, r, d, TreeBytes(out));
    if (std::string(t.name) == "component") componentSeconds = r.seconds;
    if (std::string(t.name) == "unzip") unzipSeconds = r.seconds;
  }
  fs::remove_all(out);
  std::printf("  component / unzip time: %.2f\n", componentSeconds / unzipSeconds);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--extract") return ExtractAsInstallRun(argv[2], argv[3]);
  const bool own = argc < 2;
  const fs::path work = own ? fs::path("/tmp") / ("zip-bench-" + std::to_string(getpid())) : fs::path(argv[1]);
  fs::create_directories(work);
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  std::mt19937_64 rng(20150307);

  std::printf("zip_bench in %s\n", work.c_str());
  const auto make = [&](const char* name, Data (*maker)(const fs::path&, std::mt19937_64&)) {
    const fs::path tree = work / name;
    const Data d = maker(tree, rng);
    const fs::path archive = work / (std::string(name) + ".zip");
    fs::remove(archive);
    const auto start = Clock::now();
    Shell("cd '" + tree.string() + "' && zip -q -r -P '" + kPassword + "' '" + archive.string() + "' .");
    std::printf("made %s with zip -P in %.1f s\n", archive.filename().c_str(), Seconds(Clock::now() - start));
    fs::remove_all(tree);  // the archive is all the benchmark needs
    return std::pair{archive, d};
  };
  const auto [smallZip, small] = make("small", MakeSmall);
  Bench("(a) many small files", work, smallZip, small, self);
  fs::remove(smallZip);
  const auto [largeZip, large] = make("large", MakeLarge);
  Bench("(b) few large files", work, largeZip, large, self);
  fs::remove(largeZip);
  if (own) fs::remove_all(work);
  return 0;
}
