// Benchmark of the archive component against Info-ZIP unzip and 7-Zip (p7zip) on the archives
// of bench_archive: many small files and eight large ones, ZipCrypto-encrypted by libzip as the
// distribution kit writes them. Every extractor runs in a process of its own, so that its peak
// memory (ru_maxrss) and CPU times are its own; the component extracts entry by entry as the
// install run does. Archive and output lie in one work folder (one file system), the archive is
// in the page cache before every run, one warm-up run precedes the rounds, and the rounds take
// the tools in turn. Every output tree is checked against the shape (names, sizes, CRC-32).
// Prints figures; it is no pass/fail test.
//
// Usage: zip_bench [--rounds N] [--small-entries N] [--only small|large] [--fresh]
//                  [--baseline <other zip_bench>] [work folder]
//          (work folder: build/bench/zip_bench of the source tree; the archives are kept there
//           and made again only when missing or with --fresh; --baseline runs another build's
//           component in the same rounds, to compare before and after a change)
//        zip_bench --extract <archive> <target folder> [--test]   (the component's run)
//        zip_bench --floor <archive>   (large entries: libzip's decrypted read, zlib inflate, CRC)
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "install/ZipMaster.h"
#include "install/ZipNameDecode.h"
#include "support/DebugLog.h"
#include "tests/bench/BenchShape.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
const char* const kPassword = "HaLtEr@20150307";

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The install run's loop over one archive: select each entry, point ExtrBaseDir at its folder
// (created first, as the run's CreateDirWithJournal does), Extract.
int ExtractAsInstallRun(const std::string& archive, const std::string& targetDir, bool testOnly) {
  LogProc = [](int32_t, const std::wstring&) {};
  TZipMaster zm;
  zm.showMessage = [](const std::wstring& text) { std::fprintf(stderr, "%s\n", WideToUtf8(text).c_str()); };
  zm.pumpMessages = [] {};
  zm.setZipFileName(Utf8ToWideLenient(archive));
  if (zm.Count() == 0) return 2;
  zm.setExtrOptions(testOnly ? ExtrOptionSet{ExtrOverWrite, ExtrTest} : ExtrOptionSet{ExtrOverWrite});
  zm.setUseDirOnlyEntries(true);
  zm.setPassword(Utf8ToWideLenient(kPassword));
  const std::wstring target = Utf8ToWideLenient(targetDir) + L"/";
  for (int i = 0; i < zm.Count(); ++i) {
    zm.FSpecArgs().clear();
    zm.setExtrBaseDir(target);
    const std::wstring name = zm.DirEntry(i).FileName;
    zm.FSpecArgs().push_back(name);
    const std::wstring relFolder = name.substr(0, name.find_last_of(L'\\') + 1);
    std::wstring folder = target + relFolder;
    std::replace(folder.begin(), folder.end(), L'\\', L'/');
    const fs::path folderPath(WideToUtf8(folder));
    if (!testOnly && !fs::is_directory(folderPath)) fs::create_directories(folderPath);
    zm.setExtrBaseDir(target + relFolder);
    if (const int rc = zm.Extract(); rc != 0) {
      std::fprintf(stderr, "Extract of entry %d failed: %d\n", i, rc);
      return 2;
    }
  }
  return 0;
}

// The parts of reading the large entries, each timed alone: libzip's read of the stored data
// (file read and ZipCrypto decryption, ZIP_FL_COMPRESSED), zlib's inflate of that data to
// nowhere, and the CRC-32 of the result.
int Floor(const std::string& archive) {
  int err = 0;
  zip_t* za = zip_open(archive.c_str(), ZIP_RDONLY, &err);
  if (za == nullptr) return 2;
  double readSeconds = 0, inflateSeconds = 0, crcSeconds = 0;
  uint64_t stored = 0, inflated = 0;
  std::vector<unsigned char> data, out(256 * 1024);
  for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
    zip_stat_t st;
    if (zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st) != 0 || st.size == 0) continue;
    auto start = Clock::now();
    zip_file_t* file = zip_fopen_index_encrypted(za, static_cast<zip_uint64_t>(i), ZIP_FL_COMPRESSED, kPassword);
    if (file == nullptr) return 2;
    data.resize(st.comp_size);
    size_t have = 0;
    for (zip_int64_t n; have < data.size() && (n = zip_fread(file, data.data() + have, data.size() - have)) > 0;)
      have += static_cast<size_t>(n);
    zip_fclose(file);
    data.resize(have);
    readSeconds += Seconds(Clock::now() - start);
    stored += have;

    z_stream z{};
    inflateInit2(&z, -MAX_WBITS);
    z.next_in = data.data();
    z.avail_in = static_cast<uInt>(data.size());
    int rc = Z_OK;
    uLong crc = crc32(0, nullptr, 0);
    while (rc == Z_OK) {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      start = Clock::now();
      rc = inflate(&z, Z_SYNC_FLUSH);
      const auto inflatedAt = Clock::now();
      inflateSeconds += Seconds(inflatedAt - start);
      const size_t n = out.size() - z.avail_out;
      crc = crc32(crc, out.data(), static_cast<uInt>(n));
      crcSeconds += Seconds(Clock::now() - inflatedAt);
      inflated += n;
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END || crc != st.crc) {
      std::fprintf(stderr, "floor: entry %lld does not inflate to its CRC\n", static_cast<long long>(i));
      return 2;
    }
  }
  zip_discard(za);
  std::printf("  floor, one core: read+decrypt %.2f s (%.0f MB), inflate %.2f s (%.0f MB), CRC %.2f s\n", readSeconds,
              stored / 1e6, inflateSeconds, inflated / 1e6, crcSeconds);
  return 0;
}

struct Run {
  double seconds = 0, user = 0, system = 0;
  long maxRssKiB = 0;
  bool ok = false;
};

// Runs a program in a child process and measures it; its standard output goes to /dev/null.
Run Measure(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::fflush(stdout);
  std::fflush(stderr);
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(126);
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
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

std::string Output(const std::string& command) {
  std::string text;
  if (FILE* p = popen(command.c_str(), "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, p) != nullptr) text += line;
    pclose(p);
  }
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

// Reads the whole file, so that every tool starts with the archive in the page cache.
void WarmCache(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<char> block(1 << 20);
  while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
  }
}

struct Expected {
  uint64_t size = 0;
  uint32_t crc = 0;
};

// What the output tree must hold: relative name -> size and CRC-32 of the content.
std::map<std::string, Expected> ExpectedTree(const std::vector<bench::BenchFile>& files) {
  std::map<std::string, Expected> tree;
  for (size_t i = 0; i < files.size(); ++i) {
    bench::ContentStream content(files[i], i);
    uLong crc = crc32(0, nullptr, 0);
    for (const std::string* b = &content.Next(); !b->empty(); b = &content.Next())
      crc = crc32(crc, reinterpret_cast<const Bytef*>(b->data()), static_cast<uInt>(b->size()));
    tree[files[i].name] = {files[i].size, static_cast<uint32_t>(crc)};
  }
  return tree;
}

// Empty when the tree holds exactly the expected files; otherwise what is wrong.
std::string CheckTree(const fs::path& root, const std::map<std::string, Expected>& expected) {
  size_t found = 0;
  std::vector<char> block(1 << 20);
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_directory()) continue;
    const std::string name = fs::relative(e.path(), root).generic_string();
    const auto it = expected.find(name);
    if (!e.is_regular_file() || it == expected.end()) return "unexpected " + name;
    if (e.file_size() != it->second.size) return "wrong size of " + name;
    std::ifstream in(e.path(), std::ios::binary);
    uLong crc = crc32(0, nullptr, 0);
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0)
      crc = crc32(crc, reinterpret_cast<const Bytef*>(block.data()), static_cast<uInt>(in.gcount()));
    if (crc != it->second.crc) return "wrong content of " + name;
    ++found;
  }
  if (found != expected.size()) return std::to_string(expected.size() - found) + " files missing";
  return {};
}

struct Tool {
  Tool(std::string name, std::vector<std::string> args, bool writes = true)
      : name(std::move(name)), args(std::move(args)), writes(writes) {}
  std::string name;
  std::vector<std::string> args;
  bool writes;  // false: the component with ExtrTest, nothing to check
  std::vector<Run> runs;
  std::string failure;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Summary {
  double seconds, user, system;
  long maxRssKiB;
};

Summary Summarize(const Tool& t) {
  std::vector<double> s, u, y;
  long rss = 0;
  for (const Run& r : t.runs) {
    s.push_back(r.seconds);
    u.push_back(r.user);
    y.push_back(r.system);
    rss = std::max(rss, r.maxRssKiB);
  }
  return {Median(s), Median(u), Median(y), rss};
}

void Bench(const char* title, const fs::path& work, const fs::path& archive, const std::vector<bench::BenchFile>& files,
           const std::string& self, const std::string& baseline, int rounds, bool large) {
  uint64_t bytes = 0;
  for (const bench::BenchFile& f : files) bytes += f.size;
  std::printf("\n%s: %zu files, %.1f MB, archive %.1f MB\n", title, files.size(), bytes / 1e6,
              fs::file_size(archive) / 1e6);
  std::fflush(stdout);
  const std::map<std::string, Expected> expected = ExpectedTree(files);
  const fs::path out = work / "out";
  const std::string a = archive.string(), o = out.string();
  std::vector<Tool> tools;
  tools.emplace_back("component", std::vector<std::string>{self, "--extract", a, o});
  tools.emplace_back("unzip", std::vector<std::string>{"unzip", "-qq", "-o", "-P", kPassword, a, "-d", o});
  tools.emplace_back("7z", std::vector<std::string>{"7z", "x", "-y", "-bd", "-bso0", "-bsp0",
                                                    std::string("-p") + kPassword, "-o" + o, a});
  if (!baseline.empty()) tools.emplace_back("baseline", std::vector<std::string>{baseline, "--extract", a, o});
  if (large) tools.emplace_back("ExtrTest", std::vector<std::string>{self, "--extract", a, o, "--test"}, false);
  // Round 0 is the warm-up: measured and checked, not counted.
  for (int round = 0; round <= rounds; ++round) {
    for (Tool& t : tools) {
      fs::remove_all(out);
      fs::create_directories(out);
      sync();  // the previous run's writing stays out of this one
      WarmCache(archive);
      const Run r = Measure(t.args);
      std::string failure = r.ok ? std::string() : "exit status";
      if (failure.empty() && t.writes) failure = CheckTree(out, expected);
      if (!failure.empty() && t.failure.empty()) t.failure = failure;
      if (round > 0) t.runs.push_back(r);
    }
  }
  fs::remove_all(out);
  std::printf("  %-10s %9s %9s %9s %10s %9s\n", "tool", "median s", "user s", "sys s", "peak MiB", "MB/s");
  std::map<std::string, Summary> by;
  for (const Tool& t : tools) {
    const Summary s = Summarize(t);
    by[t.name] = s;
    std::printf("  %-10s %9.2f %9.2f %9.2f %10.1f %9.1f%s\n", t.name.c_str(), s.seconds, s.user, s.system,
                s.maxRssKiB / 1024.0, bytes / 1e6 / s.seconds, t.failure.empty() ? "" : ("  FAILED: " + t.failure).c_str());
  }
  std::printf("  runs (s):");
  for (const Tool& t : tools) {
    std::printf("  %s", t.name.c_str());
    for (const Run& r : t.runs) std::printf(" %.2f", r.seconds);
  }
  std::printf("\n");
  const double component = by["component"].seconds;
  if (!baseline.empty()) std::printf("  component / baseline: %.2f\n", component / by["baseline"].seconds);
  if (large) {
    const double ratio = component / by["7z"].seconds;
    std::printf("  component / 7z: %.2f (goal <= 0.80: %s)\n", ratio, ratio <= 0.8 ? "met" : "missed");
    std::printf("  ExtrTest (decrypt, inflate, CRC, nothing written) / 7z: %.2f\n", by["ExtrTest"].seconds / by["7z"].seconds);
    std::fflush(stdout);
    WarmCache(archive);
    if (std::system(("'" + self + "' --floor '" + a + "'").c_str()) != 0) std::printf("  floor: FAILED\n");
  } else {
    const bool unzipFaster = by["unzip"].seconds <= by["7z"].seconds;
    const double ratio = component / by[unzipFaster ? "unzip" : "7z"].seconds;
    std::printf("  component / faster peer (%s): %.2f (goal <= 0.80: %s)\n", unzipFaster ? "unzip" : "7z", ratio,
                ratio <= 0.8 ? "met" : "missed");
  }
  const double rss = by["component"].maxRssKiB / 1024.0;
  std::printf("  component peak RSS %.1f MiB (goal <= 64: %s)\n", rss, rss <= 64 ? "met" : "missed");
  std::fflush(stdout);
}

// Makes the archive with bench_archive unless it is there (or fresh is asked for).
bool MakeArchive(const fs::path& archive, const std::vector<std::string>& args, bool fresh) {
  if (!fresh && fs::exists(archive)) {
    std::printf("archive %s: kept from an earlier run\n", archive.filename().c_str());
    return true;
  }
  std::error_code ec;
  fs::remove(archive, ec);
  std::string command = "'" BENCH_ARCHIVE_EXE "'";
  for (const std::string& a : args) command += " '" + a + "'";
  const auto start = Clock::now();
  const bool ok = std::system(command.c_str()) == 0;
  std::printf("archive %s: made by bench_archive in %.1f s%s\n", archive.filename().c_str(),
              Seconds(Clock::now() - start), ok ? "" : " FAILED");
  return ok;
}

int Usage() {
  std::fprintf(stderr,
               "usage: zip_bench [--rounds N] [--small-entries N] [--only small|large] [--fresh]\n"
               "                 [--baseline <other zip_bench>] [work folder]\n"
               "       zip_bench --extract <archive> <target folder> [--test]\n"
               "       zip_bench --floor <archive>\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--extract") {
    if (args.size() == 3 || (args.size() == 4 && args[3] == "--test"))
      return ExtractAsInstallRun(args[1], args[2], args.size() == 4);
    return Usage();
  }
  if (!args.empty() && args[0] == "--floor") return args.size() == 2 ? Floor(args[1]) : Usage();

  int rounds = 3, smallEntries = 20000;
  std::string only, baseline;
  bool fresh = false;
  fs::path work = fs::path(ZIP_BENCH_WORK_DIR);
  for (size_t i = 0; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--rounds" && hasValue) rounds = std::max(1, std::atoi(args[++i].c_str()));
    else if (args[i] == "--small-entries" && hasValue) smallEntries = std::max(1, std::atoi(args[++i].c_str()));
    else if (args[i] == "--only" && hasValue) only = args[++i];
    else if (args[i] == "--fresh") fresh = true;
    else if (args[i] == "--baseline" && hasValue) baseline = fs::absolute(args[++i]).string();
    else if (!args[i].empty() && args[i][0] != '-') work = args[i];
    else return Usage();
  }
  if (!only.empty() && only != "small" && only != "large") return Usage();
  fs::create_directories(work);
  work = fs::canonical(work);
  const std::string self = fs::read_symlink("/proc/self/exe").string();

  struct stat workStat{};
  stat(work.c_str(), &workStat);
  std::printf("zip_bench in %s (archives and output on one file system, device %lu)\n", work.c_str(),
              static_cast<unsigned long>(workStat.st_dev));
  std::printf("peers: %s\n", Output("dpkg-query -W -f '${Package} ${Version}\\n' unzip p7zip-full | paste -sd ';' | sed 's/;/; /g'").c_str());
  std::printf("%d rounds after one warm-up run; load average at the start: %s\n", rounds,
              Output("cut -d' ' -f1-3 /proc/loadavg").c_str());

  if (only.empty() || only == "small") {
    const fs::path archive = work / ("small-" + std::to_string(smallEntries) + ".zip");
    if (!MakeArchive(archive, {"small", std::to_string(smallEntries), archive.string()}, fresh)) return 1;
    Bench("(a) many small files", work, archive, bench::SmallShape(smallEntries), self, baseline, rounds, false);
  }
  if (only.empty() || only == "large") {
    const fs::path archive = work / "large.zip";
    if (!MakeArchive(archive, {"large", archive.string()}, fresh)) return 1;
    Bench("(b) eight large files", work, archive, bench::LargeShape(), self, baseline, rounds, true);
  }
  return 0;
}
