// One file that the archive component writes: created new (never over an existing file),
// written, then given the entry's time and, for a partial file, moved over its target, all
// through the one open handle. Each entry then costs the file system one name lookup for the
// new file and none to set its time; closing without Finish removes the file again.
// Windows: EntryFile_win.cpp; elsewhere: EntryFile_posix.cpp.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <system_error>

class EntryFile {
 public:
  EntryFile();
  ~EntryFile();  // removes the file unless Finish succeeded
  EntryFile(const EntryFile&) = delete;
  EntryFile& operator=(const EntryFile&) = delete;

  // Creates path as a new file; false when it cannot (error(): already there, folder missing,
  // access denied, ...).
  bool Create(const std::filesystem::path& path);
  bool Write(const char* data, size_t size);
  // Sets the last-write time where it can (seconds since 1970; 0 leaves the time of writing), moves the file
  // to replaceTarget when one is given (an existing file there is replaced), reads the size and
  // time the file system keeps, and closes the file.
  bool Finish(int64_t modified, const std::filesystem::path* replaceTarget = nullptr);

  const std::error_code& error() const { return lastError; }
  bool exists() const;  // the last Create failed because the name was taken
  // After Finish: the file's size and last-write time (100-ns intervals since 1601-01-01 UTC).
  uint64_t size() const { return finalSize; }
  uint64_t writeTime() const { return finalTime; }

 private:
  struct Handle;
  std::unique_ptr<Handle> handle;
  std::error_code lastError;
  uint64_t finalSize = 0;
  uint64_t finalTime = 0;
};
