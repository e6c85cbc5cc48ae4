// Fuzz driver of the journal reader and the undo planner. An input is the lossless copy, then
// optionally a form feed (0x0C, never part of a journal) and uninstall.dat after it; it is also
// read as uninstall.dat alone. Every run read is planned within a scope made from its own
// "Destination=" and within a fixed one, and the plan must keep to the scope; the remaining
// journal must read back. Inputs are exact-size heap copies, so the sanitizers see any read
// outside them. A broken promise aborts with its reason.
//
// Without libFuzzer the program brings its own seeded mutation loop over the seed corpus:
//   journal_fuzz [executions] [corpus folder] [seed] [seconds, 15 unless given]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "install/JournalReader.h"
#include "uninstaller/UndoPlan.h"

namespace {

[[noreturn]] void Broken(const char* why) {
  std::fprintf(stderr, "journal fuzz: %s\n", why);
  std::abort();
}

const AnsiCodec& Codec() {
  static const AnsiCodec codec = Windows1252Codec();
  return codec;
}

void CheckPlan(const JournalReadResult& journal, const ProductScope& scope) {
  const UndoPlan plan = BuildUndoPlan(journal, scope);
  for (const UndoStep& step : plan.steps) {
    if (step.kind == StepKind::DeleteRegKey || step.kind == StepKind::DeleteRegValue) {
      if (PlaceKey(scope, step.path) == KeyArea::Outside) Broken("registry step outside the product's keys");
      continue;
    }
    const auto placed = PlacePath(scope, step.path);
    if (!placed) Broken("step path does not normalise");
    const bool folderStep = step.kind == StepKind::RemoveEmptyFolder;
    if (!(folderStep ? AreaAllowsFolder(placed->area) : AreaAllowsFile(placed->area))) Broken("file step outside the product");
    if (step.kind == StepKind::RestoreBackup) {
      const auto backup = PlacePath(scope, step.backupPath);
      if (!backup || backup->area != PathArea::Backup) Broken("backup outside the backup folder");
    }
    for (const RecordRef& ref : step.records)
      if (ref.run >= journal.runs.size() || ref.entry >= journal.runs[ref.run].entries.size()) Broken("dangling record");
    DiskState state;
    state.presence = Presence::File;
    state.backup = Presence::File;
    Decide(step, state);
  }
  // Everything left: the rewritten journal must read back as a journal of the same runs.
  const RemainingJournal rest = RemainingJournalBytes(journal, plan, std::vector<bool>(plan.steps.size(), true), Codec());
  if (rest.empty) return;
  const JournalReadResult again = ReadJournal(rest.ansiBytes, rest.losslessBytes, Codec());
  if (!again.ok) Broken("remaining journal does not read back");
  for (const JournalProblem& p : again.problems)
    if (p.kind != JournalProblemKind::Disagrees && p.kind != JournalProblemKind::AnsiOnly) Broken("remaining journal has malformed lines");
}

void Check(const std::optional<std::string>& ansi, const std::optional<std::string>& lossless) {
  const JournalReadResult journal = ReadJournal(ansi, lossless, Codec());
  if (journal.ok == journal.runs.empty()) Broken("ok does not match the runs");
  if (!journal.ok) return;
  for (const JournalSection& run : journal.runs)
    for (const JournalEntry& e : run.entries)
      if (FormatRecord(e.record).find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos) Broken("record holds a break");
  static const std::optional<ProductScope> fixed =
      MakeProductScope({L"D:\\Spiele\\Drivona 2\\Uninstall_Drivona2 Ostrauwen V1.2\\",
                        L"D:\\Spiele\\Drivona 2\\Uninstall_Drivona2 Ostrauwen V1.2\\", L"",
                        L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\", {}});
  CheckPlan(journal, *fixed);
  const std::wstring& destination = journal.runs.back().destination;
  if (const auto own = MakeProductScope({destination, destination, L"", L"C:\\Menu\\Programs\\", {}});
      own && own->backupFolder != fixed->backupFolder)
    CheckPlan(journal, *own);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<char[]> exact(new char[size ? size : 1]);
  if (size) std::memcpy(exact.get(), data, size);
  const std::string_view input(exact.get(), size);
  const size_t cut = input.find('\x0C');
  if (cut == std::string_view::npos) {
    Check(std::nullopt, std::string(input));
  } else {
    Check(std::string(input.substr(cut + 1)), cut ? std::optional<std::string>(std::string(input.substr(0, cut))) : std::nullopt);
  }
  Check(std::string(input), std::nullopt);
  return 0;
}

#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace {

std::mt19937_64 rng;
size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(rng() % n); }

// Pieces a journal is made of, so that mutations form lines the reader gets far into.
const char* const kTokens[] = {"\r\n", "Program=", "Quelle=", "Destination=", "rmDir;", "Delete;", "Move;",
                               "ZipError;", "RenDel;", "DelRegValue;", "DelRegKey;", "CreateError;",
                               "ErrorCopyUninstall;", "#Moved", "#KeptEarlier", "#MoveFailed;5", "#Written;1;2", "#New",
                               "#Created", "#Existed", "#End", "\\", "..\\", ";", "\\\\?\\", "\\\\?\\UNC\\",
                               "\\\\?\\GLOBALROOT\\", ":", "CON", "~1", "D:\\Spiele\\Drivona 2\\",
                               "Uninstall_Drivona2 Ostrauwen V1.2\\", "\x0C", "\xC3\xA4", "\xE4", "\x00"};

void Mutate(std::string& b, const std::vector<std::string>& seeds) {
  const size_t steps = 1 + Below(6);
  for (size_t s = 0; s < steps; ++s) {
    switch (Below(7)) {
      case 0:
        if (!b.empty()) b[Below(b.size())] ^= static_cast<char>(1u << Below(8));
        break;
      case 1:
        if (!b.empty()) b[Below(b.size())] = static_cast<char>(rng());
        break;
      case 2: {  // insert a token
        const char* token = kTokens[Below(std::size(kTokens))];
        b.insert(Below(b.size() + 1), token, std::max<size_t>(std::strlen(token), 1));
        break;
      }
      case 3:  // drop a range
        if (!b.empty()) {
          const size_t at = Below(b.size());
          b.erase(at, Below(std::min<size_t>(b.size() - at, 64) + 1));
        }
        break;
      case 4:  // duplicate a range (lines repeated, sections doubled)
        if (!b.empty() && b.size() < 1 << 16) {
          const size_t at = Below(b.size());
          const std::string piece = b.substr(at, Below(256) + 1);
          b.insert(Below(b.size() + 1), piece);
        }
        break;
      case 5: {  // splice in part of another seed
        const std::string& other = seeds[Below(seeds.size())];
        if (!other.empty()) b.insert(Below(b.size() + 1), other.substr(Below(other.size()), Below(512) + 1));
        break;
      }
      default:  // swap the line ending
        if (const size_t at = b.find("\r\n", Below(b.size() + 1)); at != std::string::npos) b.erase(at, 1);
        break;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const long long limit = argc > 1 ? std::atoll(argv[1]) : 100000;
  const std::filesystem::path corpus = argc > 2 ? argv[2] : JOURNAL_FUZZ_CORPUS;
  rng.seed(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20151207);
  const auto budget = std::chrono::seconds(argc > 4 ? std::atoll(argv[4]) : 15);
  std::vector<std::string> seeds;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    std::ifstream in(entry.path(), std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (seeds.empty()) {
    std::fprintf(stderr, "journal fuzz: no seeds in %s\n", corpus.string().c_str());
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  long long runs = 0;
  for (const std::string& seed : seeds) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(seed.data()), seed.size());
    ++runs;
  }
  while (runs < limit && std::chrono::steady_clock::now() - start < budget) {
    std::string input = seeds[Below(seeds.size())];
    Mutate(input, seeds);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    ++runs;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("journal fuzz: %lld executions in %.1f s, %zu seeds, no finding\n", runs, seconds, seeds.size());
  return 0;
}
#endif
