// Fuzz driver of the archive component. Each input is an archive: it is listed and one entry,
// chosen by the input's length, is read into a memory sink, verified as extraction verifies it.
// Besides the sanitizers' checks it holds the component to its promises: a failure comes with
// exactly one message, a success with exactly the entry's length.
//
// The plain mode (no libFuzzer) also extracts to disk: damaged archives (flipped bytes, smashed
// header fields, cut or grown files, names turned hostile) are extracted entry by entry into a
// sandbox, and nothing may land outside the target folder, no partial file may stay behind, and
// only safe names may succeed. Usage: zipmaster_fuzz [executions [corpus folder [seed]]]; stops
// after the executions or 15 seconds.
#include <zip.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <streambuf>
#include <string>
#include <vector>

#include "install/ZipEntryName.h"
#include "install/ZipMask.h"
#include "install/ZipMaster.h"
#include "install/ZipNameDecode.h"
#include "support/DebugLog.h"
#include "tests/fuzz/PlainMode.h"

namespace {

namespace fs = std::filesystem;
const char* const kPassword = "HaLtEr@20150307";

// Keeps what is written, up to a limit: beyond it writing fails, as a full disk would, so that
// a small damaged input that inflates to megabytes costs no more than one of a quarter megabyte.
class MemorySink : public std::streambuf {
 public:
  static constexpr size_t kLimit = 256 * 1024;
  uint64_t total = 0;
  std::string kept;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    const size_t taken = std::min(kLimit - kept.size(), static_cast<size_t>(n));
    kept.append(s, taken);
    total += taken;
    return static_cast<std::streamsize>(taken);
  }
};

// The archive file the component opens; in memory-backed /dev/shm where there is one.
const fs::path& InputFile() {
  static const fs::path file = [] {
    std::error_code ec;
    const fs::path folder = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    return folder / ("zipmaster-fuzz-" + std::to_string(::getpid()) + ".dat");
  }();
  return file;
}

[[noreturn]] void Broken(const std::string& why) {
  std::fprintf(stderr, "zipmaster fuzz: %s (input in %s)\n", why.c_str(), InputFile().c_str());
  std::abort();
}

void RemoveInputFile() {
  std::error_code ec;
  fs::remove(InputFile(), ec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool init = [] {
    LogProc = [](int32_t, const std::wstring&) {};
    std::atexit(RemoveInputFile);
    return true;
  }();
  (void)init;
  {
    std::ofstream out(InputFile(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) Broken("cannot write the input file");
  }

  // One component for all inputs: its quarter-megabyte read buffer is made once, as in a run.
  static TZipMaster zm;
  static int messages;
  zm.setZipFileName(L"");
  messages = 0;
  zm.showMessage = [](const std::wstring&) { ++messages; };
  zm.setUseDirOnlyEntries(size % 3 == 0);
  zm.setZipFileName(Utf8ToWideLenient(InputFile().string()));
  zm.setPassword(Utf8ToWideLenient(kPassword));
  if (zm.ErrCode() != 0) {
    if (messages != 1) Broken("unreadable archive without exactly one message");
    return 0;
  }
  if (messages != 0) Broken("message after a listing that succeeded");
  for (int i = 0; i < zm.Count(); ++i)
    if (zm.DirEntry(i).FileName.find(L'/') != std::wstring::npos) Broken("listed name holds \"/\"");
  if (zm.Count() == 0) return 0;

  const int index = static_cast<int>(size % static_cast<size_t>(zm.Count()));
  const ZipDirEntry& entry = zm.DirEntry(index);
  MemorySink sink;
  std::ostream out(&sink);
  const int rc = zm.ExtractEntryTo(index, out);
  if (rc == zmWriteFailed && sink.total < MemorySink::kLimit) Broken("write failure below the sink's limit");
  if (rc != 0) {
    if (rc != zm.ErrCode() || messages != 1) Broken("failure " + std::to_string(rc) + " without exactly one message");
  } else {
    if (messages != 0 || zm.ErrCode() != 0) Broken("success with a message");
    if (!entry.isDirectory && sink.total != static_cast<uint64_t>(entry.UncompressedSize))
      Broken("success with " + std::to_string(sink.total) + " bytes, entry has " +
             std::to_string(entry.UncompressedSize));
  }
  return 0;
}

#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
namespace {

using Bytes = std::string;
std::mt19937_64 rng;

size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(rng() % n); }
bool Chance(int percent) { return Below(100) < static_cast<size_t>(percent); }

Bytes ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& file, const Bytes& data) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

// A small archive written by libzip: folders, stored and deflated entries, a UTF-8 and a CP437
// name, encrypted with the given method.
Bytes MakeSeed(const fs::path& file, zip_uint16_t encryption) {
  int err = 0;
  zip_t* za = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  if (za == nullptr) return {};
  static const std::string text = "[Global]\nName=Ostrauwen\nVersion=1.2\nHaltestellen=48\nLinien=7\n";
  static const std::string longText = [] {
    std::string s;
    for (int i = 0; i < 3000; ++i) s += std::to_string(i) + (i % 7 ? " " : "\n");
    return s;
  }();
  zip_dir_add(za, "maps/", ZIP_FL_ENC_GUESS);
  zip_dir_add(za, "maps/Ostrauwen/", ZIP_FL_ENC_GUESS);
  const struct {
    const char* name;
    const std::string* data;
    zip_int32_t method;
  } items[] = {{"maps/Ostrauwen/global.cfg", &text, ZIP_CM_DEFLATE},
               {"Stra\xC3\x9F" "en/Gr\xC3\xB6\xC3\x9F" "e.txt", &text, ZIP_CM_STORE},
               {"Gr\x94\xE1" "e.txt", &longText, ZIP_CM_DEFLATE},
               {"readme.txt", &longText, ZIP_CM_STORE}};
  for (const auto& item : items) {
    zip_source_t* src = zip_source_buffer(za, item.data->data(), item.data->size(), 0);
    const zip_int64_t index = zip_file_add(za, item.name, src, ZIP_FL_ENC_GUESS);
    if (index < 0) {
      zip_source_free(src);
      continue;
    }
    zip_set_file_compression(za, static_cast<zip_uint64_t>(index), item.method, 0);
    if (encryption != ZIP_EM_NONE) zip_file_set_encryption(za, static_cast<zip_uint64_t>(index), encryption, kPassword);
  }
  if (zip_close(za) != 0) {
    zip_discard(za);
    return {};
  }
  return ReadAll(file);
}

void PutLe(Bytes& b, size_t at, uint32_t value, int width) {
  for (int i = 0; i < width && at + i < b.size(); ++i) b[at + i] = static_cast<char>(value >> (8 * i));
}

uint32_t Interesting() {
  static const uint32_t values[] = {0, 1, 2, 7, 20, 0x7F, 0x80, 0xFF, 0x100, 0x7FFF, 0x8000, 0xFFFF,
                                    0x10000, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
  return Chance(80) ? values[Below(sizeof values / sizeof values[0])] : static_cast<uint32_t>(rng());
}

// Positions of a record signature ("PK" + two bytes).
std::vector<size_t> Find(const Bytes& b, const char* signature) {
  std::vector<size_t> at;
  for (size_t p = b.find(signature, 0, 4); p != Bytes::npos; p = b.find(signature, p + 1, 4)) at.push_back(p);
  return at;
}

// Overwrites one field of a central, local or end record with an edge value.
void SmashField(Bytes& b) {
  struct Field {
    size_t offset;
    int width;
  };
  static const Field central[] = {{8, 2}, {10, 2}, {16, 4}, {20, 4}, {24, 4}, {28, 2}, {30, 2}, {32, 2}, {42, 4}};
  static const Field local[] = {{6, 2}, {8, 2}, {14, 4}, {18, 4}, {22, 4}, {26, 2}, {28, 2}};
  static const Field end[] = {{8, 2}, {10, 2}, {12, 4}, {16, 4}, {20, 2}};
  const char* signature;
  const Field* fields;
  size_t count;
  switch (Below(3)) {
    case 0: signature = "PK\x01\x02", fields = central, count = std::size(central); break;
    case 1: signature = "PK\x03\x04", fields = local, count = std::size(local); break;
    default: signature = "PK\x05\x06", fields = end, count = std::size(end);
  }
  const auto at = Find(b, signature);
  if (at.empty()) return;
  const Field f = fields[Below(count)];
  PutLe(b, at[Below(at.size())] + f.offset, Interesting(), f.width);
}

// Turns the start of a stored name into a hostile one of the same length.
void HostileName(Bytes& b) {
  static const char* const prefixes[] = {"../", "..\\", "/", "\\\\", "C:", "a:b", "CON", "nul.", "COM1/", ".. /"};
  const bool centralRecord = Chance(70);
  const auto at = Find(b, centralRecord ? "PK\x01\x02" : "PK\x03\x04");
  if (at.empty()) return;
  const size_t name = at[Below(at.size())] + (centralRecord ? 46 : 30);
  const char* prefix = prefixes[Below(std::size(prefixes))];
  for (size_t i = 0; prefix[i] != 0 && name + i < b.size(); ++i) b[name + i] = prefix[i];
}

void Mutate(Bytes& b) {
  // Cuts, insertions and deletions mostly break the directory's offsets, so they are rarer.
  const size_t steps = 1 + Below(3);
  for (size_t s = 0; s < steps; ++s) {
    switch (Below(10)) {
      case 0:
      case 1:
        if (!b.empty()) b[Below(b.size())] ^= static_cast<char>(1u << Below(8));
        break;
      case 2:
        if (!b.empty()) b[Below(b.size())] = static_cast<char>(rng());
        break;
      case 3:
        b.resize(b.size() - Below(std::min<size_t>(b.size(), 64) + 1));
        break;
      case 4: {
        const size_t n = Below(16);
        Bytes extra(n, '\0');
        for (char& c : extra) c = static_cast<char>(rng());
        b.insert(Below(b.size() + 1), extra);
        break;
      }
      case 5:
        if (!b.empty()) b.erase(Below(b.size()), 1 + Below(16));
        break;
      case 6:
      case 7:
        SmashField(b);
        break;
      default:
        HostileName(b);
    }
  }
}

bool HasPartialFile(const fs::path& root) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    if (it->path().filename().string().ends_with(".~setup-partial")) return true;
  return false;
}

struct Stats {
  unsigned long long opened = 0, extracted = 0, refused = 0, failed = 0;
};

// Lists and extracts one archive; false when a promise is broken.
bool RunOne(const Bytes& input, const fs::path& sandbox, Stats& stats, std::string& why) {
  const fs::path archive = sandbox / "archive.dat";
  const fs::path base = sandbox / "base";
  std::error_code ec;
  fs::remove_all(base, ec);
  fs::create_directory(base);
  WriteAll(archive, input);

  TZipMaster zm;
  int messages = 0;
  zm.showMessage = [&](const std::wstring&) { ++messages; };
  zm.setUseDirOnlyEntries(Chance(60));
  zm.setZipFileName(Utf8ToWideLenient(archive.string()));
  if (zm.Count() > 0) ++stats.opened;
  zm.setPassword(Chance(85) ? Utf8ToWideLenient(kPassword) : L"falsch");
  ExtrOptionSet options{ExtrOverWrite};
  if (Chance(40)) options = options + ExtrDirNames;
  if (Chance(20)) options = options + ExtrForceDirs;
  if (Chance(10)) options = options + ExtrTest;
  zm.setExtrOptions(options);
  zm.setExtrBaseDir(Utf8ToWideLenient(base.string()) + L"\\");

  const int count = std::min(zm.Count(), 64);
  for (int i = 0; i < count; ++i) {
    const ZipDirEntry& entry = zm.DirEntry(i);
    // Huge claimed sizes only cost time: the read is bounded by the compressed data anyway.
    if (entry.UncompressedSize > (4 << 20)) continue;
    zm.FSpecArgs().clear();
    const std::wstring spec = Chance(5) ? std::wstring(L"*.cfg") : entry.FileName;
    zm.FSpecArgs().push_back(spec);
    const int before = messages;
    const int rc = zm.Extract();
    if (rc < 0 || rc > zmWriteFailed) return why = "unknown result " + std::to_string(rc), false;
    if (rc != 0 && messages != before + 1) return why = "failure without exactly one message", false;
    if (rc == 0) {
      for (int j = 0; j < zm.Count(); ++j) {
        const std::wstring& name = zm.DirEntry(j).FileName;
        if ((name == spec || MatchesFSpec(spec, name)) && !IsSafeEntryName(name))
          return why = "unsafe name extracted: " + WideToUtf8(name), false;
      }
    }
    if (rc == 0) ++stats.extracted;
    else if (rc == zmUnsafeName) ++stats.refused;
    else ++stats.failed;
  }
  for (const auto& e : fs::directory_iterator(sandbox))
    if (e.path() != archive && e.path() != base) return why = "written outside the target: " + e.path().string(), false;
  if (HasPartialFile(base)) return why = "partial file left behind", false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const PlainRun run = ParsePlainRun(argc, argv);
  const unsigned long long executions = run.executions, seed = run.seed;
  rng.seed(seed);
  LogProc = [](int32_t, const std::wstring&) {};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);

  const fs::path sandbox = fs::temp_directory_path() / ("zipmaster-fuzz-" + std::to_string(seed) + "-" +
                                                        std::to_string(std::random_device{}()));
  fs::create_directories(sandbox);
  std::vector<Bytes> seeds;
  const fs::path seedFile = fs::temp_directory_path() / (sandbox.filename().string() + ".seed");
  for (zip_uint16_t method : {ZIP_EM_NONE, ZIP_EM_TRAD_PKWARE, ZIP_EM_AES_256}) {
    Bytes b = MakeSeed(seedFile, method);
    if (!b.empty()) seeds.push_back(std::move(b));
  }
  fs::remove(seedFile);
  // The corpus: archives of the real tools (Info-ZIP, 7-Zip) and regression inputs.
  const std::vector<Bytes> corpus = ReadCorpus(run.corpus);
  for (const Bytes& b : corpus) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(b.data()), b.size());
    seeds.push_back(b);
  }
  if (seeds.empty()) {
    std::fprintf(stderr, "zipmaster fuzz: no seed archives\n");
    return 1;
  }

  Stats stats;
  unsigned long long done = 0;
  int status = 0;
  for (; done < executions; ++done) {
    if (done % 16 == 0 && std::chrono::steady_clock::now() > deadline) break;
    Bytes input = seeds[Below(seeds.size())];
    if (Chance(95)) Mutate(input);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    std::string why;
    if (!RunOne(input, sandbox, stats, why)) {
      const fs::path keep = fs::temp_directory_path() / ("zipmaster-fuzz-failure-" + std::to_string(done) + ".zip");
      WriteAll(keep, input);
      std::fprintf(stderr, "zipmaster fuzz: %s at execution %llu (seed %llu), input kept as %s\n", why.c_str(), done,
                   seed, keep.string().c_str());
      status = 1;
      break;
    }
  }
  std::error_code ec;
  fs::remove_all(sandbox, ec);
  if (status == 0)
    std::printf("zipmaster fuzz: %zu corpus files and %llu executions ran clean (seed %llu); %llu archives listed entries, "
                "%llu entries extracted, %llu refused as unsafe, %llu failed as damaged\n",
                corpus.size(), done, seed, stats.opened, stats.extracted, stats.refused, stats.failed);
  return status;
}
#endif
