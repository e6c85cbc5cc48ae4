#include "install/EntryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {
std::error_code LastError() { return {errno, std::generic_category()}; }
}  // namespace

struct EntryFile::Handle {
  int fd = -1;
  std::filesystem::path path;
  bool finished = false;
};

EntryFile::EntryFile() : handle(std::make_unique<Handle>()) {}

EntryFile::~EntryFile() {
  if (handle->fd < 0) return;
  if (!handle->finished) ::unlink(handle->path.c_str());
  ::close(handle->fd);
}

bool EntryFile::Create(const std::filesystem::path& path) {
  handle->fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
  handle->path = path;
  handle->finished = false;
  lastError = handle->fd >= 0 ? std::error_code() : LastError();
  return handle->fd >= 0;
}

bool EntryFile::exists() const { return lastError == std::errc::file_exists; }

bool EntryFile::Write(const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(handle->fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      lastError = n < 0 ? LastError() : std::make_error_code(std::errc::no_space_on_device);
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool EntryFile::Finish(int64_t modified, const std::filesystem::path* replaceTarget) {
  if (modified > 0) {
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(modified), 0}};
    ::futimens(handle->fd, times);  // a file system without times still gets the file
  }
  if (replaceTarget != nullptr) {
    if (std::rename(handle->path.c_str(), replaceTarget->c_str()) != 0) {
      lastError = LastError();
      return false;
    }
    handle->path = *replaceTarget;
  }
  struct stat st{};
  if (::fstat(handle->fd, &st) != 0) {
    lastError = LastError();
    return false;
  }
  finalSize = static_cast<uint64_t>(st.st_size);
  finalTime = static_cast<uint64_t>(st.st_mtim.tv_sec) * 10000000ull + static_cast<uint64_t>(st.st_mtim.tv_nsec) / 100 +
              116444736000000000ull;
  handle->finished = true;
  ::close(handle->fd);
  handle->fd = -1;
  return true;
}
