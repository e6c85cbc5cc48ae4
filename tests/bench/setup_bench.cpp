// The real Setup.exe installing a benchmark archive, driven as a user does and as the end-to-end
// scenarios do: a distribution with the archive as the data file and the built uninstall.exe, a
// host entry naming the target, the wizard walked to the settings step with backups on, then
// "&Fertigstellen". Prints figures; it is no pass/fail test (but a run that did not install the
// whole shape prints no figures and fails).
// Usage: setup_bench small <entries> <empty|half> <archive>
//        setup_bench large <empty|half> <archive>
// The archive is written by bench_archive with the same shape. "half": before Setup.exe starts,
// the target holds every second file of the shape, so half of the entries are backed up.
//
// Time: from the posted click on the settings step's "&Fertigstellen" to the result text in the
// result label (laSetupRslt), read with GetWindowTextW, which asks the window system and not the
// busy wizard thread. Memory: the process's private bytes (PrivateUsage, or under Wine, which
// leaves that 0 for another process, PagefileUsage) on the settings step, and above that the
// highest value sampled every 10 ms during the run and the peak counter (PeakPagefileUsage) when
// the result is shown. Responsiveness: from the click on, WM_NULL is sent every 10 ms
// (SendMessageTimeoutW, 5 s); the longest answer is kept with the time it was sent; for the
// large shape also the longest answer sent and received while one of its largest entries was
// extracted (from the first file of that name, partial or not, until the file has its full size).
// One line: "setup shape=... entries=... scenario=... seconds=... ..." (key=value, parseable).
#include "tests/e2e/Installation.h"

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/bench/BenchShape.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kSampleInterval = 10ms;
constexpr DWORD kPingTimeoutMs = 5000;
constexpr double kMiB = 1024.0 * 1024.0;
const std::wstring kSuccessText = L"Installation erfolgreich fertig gestellt.";

std::wstring Widen(const std::string& ascii) {
  std::wstring out;
  for (char c : ascii) out += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return out;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A failure of the benchmark itself: reported, and no figures are printed.
struct BenchError {
  std::string text;
};
[[noreturn]] void Fail(const std::string& text) { throw BenchError{text}; }

bool ReadMemory(HANDLE process, PROCESS_MEMORY_COUNTERS_EX& counters) {
  counters = {};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
}

// Private bytes. Wine leaves PrivateUsage 0 for another process; PagefileUsage, the commit
// charge, is the same figure on Windows and is filled there.
SIZE_T PrivateOf(const PROCESS_MEMORY_COUNTERS_EX& counters) {
  return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

PROCESS_MEMORY_COUNTERS_EX MemoryOf(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters;
  if (!ReadMemory(process, counters)) Fail("GetProcessMemoryInfo failed: " + std::to_string(GetLastError()));
  return counters;
}

uint64_t SizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return UINT64_MAX;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void WriteShapeFile(const std::wstring& path, const bench::BenchFile& file, size_t position) {
  std::filesystem::create_directories(it::FsPath(path).parent_path());
  std::ofstream out(it::FsPath(path), std::ios::binary | std::ios::trunc);
  bench::ContentStream content(file, position);
  for (const std::string* b = &content.Next(); !b->empty(); b = &content.Next())
    out.write(b->data(), static_cast<std::streamsize>(b->size()));
  if (!out.flush()) Fail("cannot write " + Narrow(path));
}

// One WM_NULL round trip to the wizard window.
struct Ping {
  Clock::time_point start;
  Clock::duration answer;
  bool timedOut;
};

// The time a largest entry was being extracted.
struct Window {
  Clock::time_point start, end;
  bool ended = false;
};

// Samples the running program every 10 ms from two threads until stopped: one sends WM_NULL
// and records the answer times, one reads the memory counters and follows the largest entries.
class RunObserver {
 public:
  RunObserver(HANDLE process, HWND window, std::vector<std::wstring> largest, uint64_t largestSize)
      : process(process), window(window), largest(std::move(largest)), largestSize(largestSize) {
    windows.resize(this->largest.size());
    pinger = std::thread([this] { PingLoop(); });
    watcher = std::thread([this] { WatchLoop(); });
  }
  ~RunObserver() { Stop(); }
  void Stop() {
    stop = true;
    if (pinger.joinable()) pinger.join();
    if (watcher.joinable()) watcher.join();
  }

  std::vector<Ping> pings;
  std::vector<Window> windows;
  SIZE_T highestPrivate = 0;

 private:
  void PingLoop() {
    while (!stop) {
      const auto start = Clock::now();
      DWORD_PTR result = 0;
      const bool answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kPingTimeoutMs, &result) != 0;
      pings.push_back({start, Clock::now() - start, !answered});
      std::this_thread::sleep_for(kSampleInterval);
    }
  }
  void WatchLoop() {
    size_t next = 0;  // the first largest entry not yet finished
    while (!stop) {
      PROCESS_MEMORY_COUNTERS_EX counters;
      if (ReadMemory(process, counters)) highestPrivate = std::max(highestPrivate, PrivateOf(counters));
      for (size_t k = next; k < largest.size(); ++k) {
        const auto now = Clock::now();
        if (windows[k].start == Clock::time_point{}) {
          WIN32_FIND_DATAW data;
          HANDLE find = FindFirstFileW((largest[k] + L"*").c_str(), &data);
          if (find == INVALID_HANDLE_VALUE) break;  // not begun; the later ones neither
          FindClose(find);
          windows[k].start = now;
        }
        if (SizeOf(largest[k]) != largestSize) break;
        windows[k].end = now;
        windows[k].ended = true;
        next = k + 1;
      }
      std::this_thread::sleep_for(kSampleInterval);
    }
  }

  HANDLE process;
  HWND window;
  std::vector<std::wstring> largest;
  uint64_t largestSize;
  std::atomic<bool> stop{false};
  std::thread pinger, watcher;
};

struct Arguments {
  std::string shape, scenario;
  int entries = 0;
  std::wstring archive;
};

Arguments Parse(int argc, wchar_t** argv) {
  Arguments a;
  const std::wstring shape = argc > 1 ? argv[1] : L"";
  int next = 2;
  if (shape == L"small" && argc == 5) {
    wchar_t* end = nullptr;
    const long n = std::wcstol(argv[2], &end, 10);
    if (*end != 0 || n <= 0 || n > 1'000'000) Fail("entries must be 1 to 1000000");
    a.shape = "small";
    a.entries = static_cast<int>(n);
    next = 3;
  } else if (shape == L"large" && argc == 4) {
    a.shape = "large";
  } else {
    Fail("usage: setup_bench small <entries> <empty|half> <archive> | large <empty|half> <archive>");
  }
  const std::wstring scenario = argv[next];
  if (scenario != L"empty" && scenario != L"half") Fail("the scenario is empty or half");
  a.scenario = Narrow(scenario);
  a.archive = argv[next + 1];
  const DWORD attributes = GetFileAttributesW(a.archive.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    Fail("no archive at " + Narrow(a.archive));
  return a;
}

// Puts the archive into the distribution as its data file: a hard link where the file system
// allows one (a large archive is not copied for every run), else a copy.
void PlaceArchive(const Distribution& dist, const std::wstring& archive) {
  const std::wstring data = dist.folder() + L"Ostrauwen_1-2.dat";
  if (!CreateHardLinkW(data.c_str(), archive.c_str(), nullptr) && !CopyFileW(archive.c_str(), data.c_str(), TRUE))
    Fail("cannot place the archive in the distribution: " + std::to_string(GetLastError()));
}

int Run(const Arguments& a) {
  const std::vector<bench::BenchFile> files = a.shape == "small" ? bench::SmallShape(a.entries) : bench::LargeShape();
  RemoveProductTraces();
  it::TestFolder root(L"bench-" + Widen(a.scenario));
  const std::wstring target = root + L"Drivona 2\\";
  // SETUP_BENCH_PROGRAM names another Setup.exe to measure (an earlier build, for comparisons).
  const wchar_t* program = _wgetenv(L"SETUP_BENCH_PROGRAM");
  Distribution dist(L"bench-" + Widen(a.scenario), program != nullptr ? program : L"");
  HostEntry host(KEY_WOW64_32KEY, target.substr(0, target.size() - 1));
  struct Traces {
    ~Traces() { RemoveProductTraces(); }
  } traces;
  std::filesystem::create_directories(it::FsPath(target));
  PlaceArchive(dist, a.archive);
  if (!CopyFileW(WindowsPathOf(UNINSTALL_EXE_UNIX_PATH).c_str(), (dist.folder() + L"uninstall.exe").c_str(), FALSE))
    Fail("cannot copy the built uninstall.exe");
  if (a.scenario == "half")
    for (size_t i = 1; i < files.size(); i += 2) WriteShapeFile(target + Widen(files[i].name), files[i], i);

  SetupApp app;
  if (!StartWizard(app, dist)) Fail("Setup.exe did not start");
  WalkTo(app, wpSettings);
  if (app.Text(ctl::laStepDisplay) != L"Einstellungen") Fail("the wizard did not reach the settings step");
  if (app.Text(ctl::LeDestination) != target) Fail("the settings step proposes " + Narrow(app.Text(ctl::LeDestination)));
  if (!app.Checked(ctl::cbSaveFiles)) app.Click(ctl::cbSaveFiles);
  if (!app.Checked(ctl::cbSaveFiles)) Fail("the backup checkbox cannot be checked");
  if (app.Text(ctl::btWeiter) != L"&Fertigstellen") Fail("the settings step has no \"&Fertigstellen\"");

  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.processId());
  if (!process) Fail("cannot open the Setup.exe process: " + std::to_string(GetLastError()));
  struct Closer {
    HANDLE h;
    ~Closer() { CloseHandle(h); }
  } closer{process};
  const PROCESS_MEMORY_COUNTERS_EX settings = MemoryOf(process);
  const SIZE_T settingsPrivate = PrivateOf(settings);
  HWND result = app.Control(ctl::laSetupRslt);
  if (!result) Fail("no result label");

  // The largest entries of the shape, to tell the answer times while they are extracted.
  std::vector<std::wstring> largest;
  uint64_t largestSize = 0;
  if (a.shape == "large") {
    for (const bench::BenchFile& f : files) largestSize = std::max(largestSize, f.size);
    for (const bench::BenchFile& f : files)
      if (f.size == largestSize) largest.push_back(target + Widen(f.name));
  }

  RunObserver observer(process, app.MainWindow(), largest, largestSize);
  const auto clicked = Clock::now();
  if (!app.PostClick(ctl::btWeiter)) Fail("cannot click \"&Fertigstellen\"");
  std::wstring text;
  const auto deadline = clicked + Scaled(std::chrono::hours(2));
  while (text.empty()) {
    wchar_t buffer[256] = {};
    GetWindowTextW(result, buffer, 256);
    text = buffer;
    if (!text.empty()) break;
    if (!app.Running()) Fail("Setup.exe ended during the run");
    if (FindWindowExW(nullptr, nullptr, L"#32770", nullptr)) {
      const MessageBoxInfo box = app.WaitForMessageBox(0ms);
      if (box) Fail("Setup.exe showed a box during the run: " + Narrow(box.text));
    }
    if (Clock::now() > deadline) Fail("no result after two hours");
    Sleep(2);
  }
  const auto shown = Clock::now();
  const PROCESS_MEMORY_COUNTERS_EX end = MemoryOf(process);
  observer.Stop();
  if (text != kSuccessText) Fail("the result says " + Narrow(text));

  // Every file of the shape is in place with its size, and every file that was there is backed up.
  const std::wstring backup = target + L"Uninstall_Drivona2 Ostrauwen V1.2\\";
  size_t backedUp = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::wstring name = Widen(files[i].name);
    if (SizeOf(target + name) != files[i].size) Fail("not installed: " + files[i].name);
    if (a.scenario == "half" && i % 2 == 1) {
      if (SizeOf(backup + name) != files[i].size) Fail("not backed up: " + files[i].name);
      ++backedUp;
    }
  }
  if (!app.PostClick(ctl::btWeiter)) Fail("cannot click \"&Schließen\"");
  if (const long code = app.WaitForExit(60s); code != 0) Fail("Setup.exe ended with " + std::to_string(code));

  // An answer counts for an entry when it was sent and came back while the entry was written.
  const auto within = [](const Ping& p, const Window& w) {
    return w.ended && p.start >= w.start && p.start + p.answer <= w.end;
  };
  Clock::duration longest{}, longestAt{}, longestInLargest{}, largestTime{};
  size_t timeouts = 0, largestSeen = 0;
  for (const Ping& p : observer.pings) {
    if (p.answer > longest) {
      longest = p.answer;
      longestAt = p.start - clicked;
    }
    timeouts += p.timedOut;
    for (const Window& w : observer.windows)
      if (within(p, w)) longestInLargest = std::max(longestInLargest, p.answer);
  }
  for (const Window& w : observer.windows)
    if (w.ended) {
      largestTime += w.end - w.start;
      ++largestSeen;
    }

  std::printf("setup shape=%s entries=%zu scenario=%s backed_up=%zu seconds=%.6f settings_private_mib=%.1f "
              "peak_sampled_above_mib=%.1f peak_counter_above_mib=%.1f longest_answer_ms=%.1f longest_answer_at_s=%.3f pings=%zu "
              "timeouts=%zu",
              a.shape.c_str(), files.size(), a.scenario.c_str(), backedUp, Seconds(shown - clicked),
              static_cast<double>(settingsPrivate) / kMiB,
              (static_cast<double>(std::max(observer.highestPrivate, PrivateOf(end))) - static_cast<double>(settingsPrivate)) / kMiB,
              (static_cast<double>(end.PeakPagefileUsage) - static_cast<double>(settingsPrivate)) / kMiB,
              Millis(longest), Seconds(longestAt), observer.pings.size(), timeouts);
  if (!largest.empty())
    std::printf(" largest_entries=%zu largest_entry_mean_seconds=%.3f largest_entry_longest_answer_ms=%.1f",
                largestSeen, largestSeen ? Seconds(largestTime) / static_cast<double>(largestSeen) : 0.0,
                Millis(longestInLargest));
  std::printf("\n");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return Run(Parse(argc, argv));
  } catch (const BenchError& e) {
    std::fprintf(stderr, "setup_bench: %s\n", e.text.c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "setup_bench: %s\n", e.what());
    return 1;
  }
}
