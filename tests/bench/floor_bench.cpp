// The file system's floor for the small shape: the same files as the benchmark archive (names,
// folders, sizes and content of BenchShape.h) written with nothing but CreateDirectoryW,
// CreateFileW(CREATE_NEW), one WriteFile and CloseHandle each, one folder at a time as the files
// need it. Each file's bytes are generated before its calls; only the calls are timed.
// Usage: floor_bench <entries> <target folder>
// Prints one line: "floor entries=<n> seconds=<s> folders=<k>". The target folder may exist but
// must be empty: nothing is ever overwritten (CREATE_NEW), a clash stops the run with its path.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/bench/BenchShape.h"

namespace {

std::wstring Widen(const std::string& ascii) {
  std::wstring out;
  for (char c : ascii) out += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return out;
}

std::string Narrow(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? static_cast<size_t>(n) : 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

int Fail(const char* what, const std::wstring& path, DWORD error) {
  std::fprintf(stderr, "floor_bench: %s %s (error %lu)\n", what, Narrow(path).c_str(), error);
  return 1;
}

bool EmptyFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return true;
  bool empty = true;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") empty = false;
  } while (empty && FindNextFileW(find, &data));
  FindClose(find);
  return empty;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const long entries = argc == 3 ? std::wcstol(argv[1], nullptr, 10) : 0;
  if (argc != 3 || entries <= 0 || entries > 10'000'000) {
    std::fprintf(stderr, "usage: floor_bench <entries 1..10000000> <target folder>\n");
    return 2;
  }
  std::wstring target = argv[2];
  if (target.empty()) return Fail("no target folder", target, 0);
  if (target.back() != L'\\' && target.back() != L'/') target += L'\\';
  // The target itself is made before the clock runs; the run's own folders are timed.
  if (!CreateDirectoryW(target.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    return Fail("cannot create the target folder", target, GetLastError());
  if (!EmptyFolder(target)) return Fail("the target folder is not empty:", target, ERROR_DIR_NOT_EMPTY);

  LARGE_INTEGER frequency, start, stop;
  QueryPerformanceFrequency(&frequency);
  LONGLONG ticks = 0;
  const auto timed = [&](auto&& call) {
    QueryPerformanceCounter(&start);
    const auto result = call();
    QueryPerformanceCounter(&stop);
    ticks += stop.QuadPart - start.QuadPart;
    return result;
  };

  const std::vector<bench::BenchFile> files = bench::SmallShape(static_cast<int>(entries));
  std::string bytes;
  std::wstring lastFolder;
  int folders = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    bytes.clear();
    bench::ContentStream content(files[i], i);
    for (const std::string* b = &content.Next(); !b->empty(); b = &content.Next()) bytes += *b;

    const std::wstring name = Widen(files[i].name);
    const std::wstring folder = name.substr(0, name.rfind(L'\\') + 1);
    if (folder != lastFolder) {
      // Every level the file needs that is not there yet, outermost first.
      for (size_t sep = folder.find(L'\\'); sep != std::wstring::npos; sep = folder.find(L'\\', sep + 1)) {
        const std::wstring level = folder.substr(0, sep + 1);
        if (lastFolder.compare(0, level.size(), level) == 0) continue;
        const std::wstring path = target + level;
        if (!timed([&] { return CreateDirectoryW(path.c_str(), nullptr); }))
          return Fail("cannot create the folder", path, GetLastError());
        ++folders;
      }
      lastFolder = folder;
    }

    const std::wstring path = target + name;
    const HANDLE file = timed([&] {
      return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    });
    if (file == INVALID_HANDLE_VALUE) return Fail("cannot create the file", path, GetLastError());
    DWORD written = 0;
    const BOOL wrote = timed([&] {
      return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    });
    const DWORD writeError = GetLastError();
    const BOOL closed = timed([&] { return CloseHandle(file); });
    if (!wrote || written != bytes.size()) return Fail("cannot write the file", path, wrote ? ERROR_WRITE_FAULT : writeError);
    if (!closed) return Fail("cannot close the file", path, GetLastError());
  }
  std::printf("floor entries=%ld seconds=%.6f folders=%d\n", entries,
              static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart), folders);
  return 0;
}
