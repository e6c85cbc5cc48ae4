// The plain mode of a fuzz driver, for builds without libFuzzer (the sanitizer build with GCC):
// replays every file of the driver's corpus, then feeds mutated copies of them to
// LLVMFuzzerTestOneInput. Usage: <driver> [executions [corpus folder [seed]]]; stops after the
// executions or after 15 seconds. An input that crashes the driver is saved first and its path printed.
// A driver with its own main keeps it: this one is only taken from the library when none is.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

#include "tests/fuzz/PlainMode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

std::mt19937_64 rng;
size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(rng() % n); }

// The input being run and where it goes when it crashes; read by the crash handlers.
const Bytes* current = nullptr;
char crashPath[512];

void SaveCurrent() {
  static volatile sig_atomic_t saved = 0;
  if (saved || current == nullptr) return;
  saved = 1;
  const int fd = ::open(crashPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) return;
  const uint8_t* p = current->data();
  size_t left = current->size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n <= 0) break;
    p += n;
    left -= static_cast<size_t>(n);
  }
  ::close(fd);
  const char note[] = "fuzz: crashing input saved as ";
  (void)!::write(2, note, sizeof note - 1);
  (void)!::write(2, crashPath, std::strlen(crashPath));
  (void)!::write(2, "\n", 1);
}

void OnSignal(int signal) {
  SaveCurrent();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void PutLe(Bytes& b, size_t at, uint64_t value, size_t width) {
  for (size_t i = 0; i < width && at + i < b.size(); ++i) b[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t Interesting() {
  static const uint64_t values[] = {0, 1, 2, 7, 10, 0x7F, 0x80, 0xFF, 0x100, 0x7FFF, 0x8000, 0xFFFF,
                                    0x10000, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
  return Below(5) ? values[Below(std::size(values))] : rng();
}

// A few byte-level changes, or a splice with another corpus file.
void Mutate(Bytes& b, const std::vector<Bytes>& corpus) {
  const size_t steps = 1 + Below(4);
  for (size_t s = 0; s < steps; ++s) {
    switch (Below(8)) {
      case 0:
        if (!b.empty()) b[Below(b.size())] ^= static_cast<uint8_t>(1u << Below(8));
        break;
      case 1:
        if (!b.empty()) b[Below(b.size())] = static_cast<uint8_t>(rng());
        break;
      case 2: {  // an edge value in a little-endian field of 1, 2 or 4 bytes
        static const size_t widths[] = {1, 2, 4};
        if (!b.empty()) PutLe(b, Below(b.size()), Interesting(), widths[Below(3)]);
        break;
      }
      case 3: {
        Bytes extra(Below(16));
        for (auto& x : extra) x = static_cast<uint8_t>(rng());
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(Below(b.size() + 1)), extra.begin(), extra.end());
        break;
      }
      case 4:
        if (!b.empty()) {
          const size_t at = Below(b.size());
          b.erase(b.begin() + static_cast<std::ptrdiff_t>(at),
                  b.begin() + static_cast<std::ptrdiff_t>(std::min(b.size(), at + 1 + Below(16))));
        }
        break;
      case 5:
        b.resize(b.size() - Below(std::min<size_t>(b.size(), 64) + 1));
        break;
      case 6:
        if (!b.empty()) {  // repeat a chunk in place
          const size_t at = Below(b.size()), n = 1 + Below(std::min<size_t>(b.size() - at, 32));
          const Bytes chunk(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n));
          b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), chunk.begin(), chunk.end());
        }
        break;
      default:
        if (!corpus.empty()) {  // this head, another file's tail
          const Bytes& other = corpus[Below(corpus.size())];
          const size_t head = Below(b.size() + 1), tail = Below(other.size() + 1);
          b.resize(head);
          b.insert(b.end(), other.begin() + static_cast<std::ptrdiff_t>(tail), other.end());
        }
    }
  }
}

int Run(const Bytes& input) {
  current = &input;
  const int rc = LLVMFuzzerTestOneInput(input.data(), input.size());
  current = nullptr;
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  const PlainRun run = ParsePlainRun(argc, argv);
  const unsigned long long executions = run.executions, seed = run.seed;
  const std::string name = fs::path(argv[0]).filename().string();
  rng.seed(seed);

  const fs::path crash = fs::temp_directory_path() / (name + "-crash-" + std::to_string(::getpid()) + ".bin");
  std::snprintf(crashPath, sizeof crashPath, "%s", crash.c_str());
  for (int s : {SIGABRT, SIGSEGV, SIGILL, SIGFPE, SIGBUS}) std::signal(s, OnSignal);
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_set_death_callback(SaveCurrent);
#endif

  std::vector<Bytes> corpus;
  for (const std::string& file : ReadCorpus(run.corpus)) corpus.emplace_back(file.begin(), file.end());
  for (const Bytes& file : corpus) Run(file);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  unsigned long long done = 0;
  for (; done < executions; ++done) {
    if (done % 64 == 0 && std::chrono::steady_clock::now() > deadline) break;
    Bytes input = corpus.empty() ? Bytes() : corpus[Below(corpus.size())];
    Mutate(input, corpus);
    Run(input);
  }
  std::printf("%s: %zu corpus files and %llu mutated inputs ran clean (seed %llu)\n", name.c_str(), corpus.size(),
              done, seed);
  return 0;
}
