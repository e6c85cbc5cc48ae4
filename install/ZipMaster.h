// TZipMaster: the archive component of the wizard window. It lists the entries of a ZIP
// archive and extracts selected entries, decrypting ZipCrypto and WinZip AES with one password.
// Built on libzip and std::filesystem; portable (no Windows headers).
//
// Settings are setter/getter pairs named after the settings (setZipFileName / ZipFileName).
// No call raises an error: a failure is logged at level 3 and kept as ErrCode and ErrMessage
// (Extract also returns the number, one of those below); the window shows the message in its
// box after the call (unless Unattended).
//
// Files are written safely and in bounded memory: a new file is created under its own name (never
// over a file that appeared meanwhile) and removed again when the entry fails its check (CRC, or
// the authentication code of AES entries); an existing file is replaced only once the whole entry
// was read and verified into "<target>.~setup-partial" beside it, which is removed on every failure.
// Entries whose names could lead outside ExtrBaseDir are refused (IsSafeEntryName).
//
// Paths: on Windows wide paths throughout; elsewhere the texts are converted to UTF-8 and "\"
// counts as a folder separator, so the install run's "\"-built paths work in native tests too.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct zip;       // libzip's archive handle (zip_t)
struct zip_stat;  // libzip's entry record (zip_stat_t)

// The call that reads one entry's record while listing (libzip's zip_stat_index); replaceable
// so that tests can make it fail.
using ZipStatIndexFn = int (*)(zip*, uint64_t index, uint32_t flags, struct zip_stat* out);
extern ZipStatIndexFn ZipStatIndexCall;

// Extraction flags, in bit order.
enum ExtrOption : uint8_t {
  ExtrDirNames = 1,    // recreate the entry's stored folders below ExtrBaseDir
  ExtrOverWrite = 2,   // replace an existing file without asking
  ExtrFreshen = 4,     // only replace existing files that are older than the entry
  ExtrUpdate = 8,      // write missing files and replace older ones
  ExtrTest = 16,       // read and verify only, write nothing
  ExtrForceDirs = 32,  // create a missing ExtrBaseDir
  ExtrNTFS = 64,       // accepted; no effect
};

// A set of extraction flags: ExtrOptions() + ExtrOverWrite.
class ExtrOptionSet {
 public:
  constexpr ExtrOptionSet() = default;
  constexpr ExtrOptionSet(std::initializer_list<ExtrOption> options) {
    for (ExtrOption o : options) value |= o;
  }
  static constexpr ExtrOptionSet fromBits(uint8_t bits) {
    ExtrOptionSet s;
    s.value = bits & 0x7F;
    return s;
  }
  constexpr bool contains(ExtrOption o) const { return (value & o) != 0; }
  constexpr uint8_t bits() const { return value; }
  constexpr ExtrOptionSet operator+(ExtrOption o) const { return fromBits(value | o); }
  constexpr ExtrOptionSet operator-(ExtrOption o) const { return fromBits(value & ~o); }
  friend constexpr bool operator==(ExtrOptionSet, ExtrOptionSet) = default;

 private:
  uint8_t value = 0;
};

// Results of Extract.
enum ZipMasterError : int {
  zmOk = 0,
  zmNoArchive = 1,        // no readable archive is open
  zmNoMatch = 2,          // FSpecArgs is empty or matches no listed entry
  zmUnsafeName = 3,       // the entry's name could lead outside ExtrBaseDir; nothing written
  zmBaseDirMissing = 4,   // ExtrBaseDir does not exist (ExtrForceDirs not set) or cannot be made
  zmTargetExists = 5,     // the target exists and ExtrOverWrite is not set; left untouched
  zmPasswordMissing = 6,  // the entry is encrypted and Password is empty
  zmWrongPassword = 7,    // the password check of the entry failed
  zmDamagedEntry = 8,     // read, decompression, CRC or authentication error (also a wrong
                          // password that passed the short password check)
  zmUnsupported = 9,      // compression or encryption method not supported
  zmWriteFailed = 10,     // the file could not be created, written or moved into place
};

struct ZipDirEntry {
  std::wstring FileName;         // stored relative path, "\" separators; folders end with "\"
  int64_t UncompressedSize = 0;  // bytes
  // Component side.
  uint64_t index = 0;  // position in the archive's central directory
  bool isDirectory = false;
  int64_t modified = 0;  // entry time as time_t
  uint16_t compressionMethod = 0;
  uint16_t encryptionMethod = 0;
};

class TZipMaster {
 public:
  TZipMaster();
  ~TZipMaster();
  TZipMaster(const TZipMaster&) = delete;
  TZipMaster& operator=(const TZipMaster&) = delete;

  // Optional: also hands each failure's message over at once (unless Unattended); the tools
  // and tests that count reports set it. The window does not: it shows ErrMessage itself.
  std::function<void(const std::wstring& text)> showMessage;
  // Processes pending window messages; called while long entries are extracted and long
  // archives listed.
  std::function<void()> pumpMessages;

  // Opens the archive and lists it at once; the same name again reads it again. An unreadable
  // archive, or one with an entry whose record cannot be read, is reported and leaves Count at
  // 0. An empty name just closes the archive.
  void setZipFileName(const std::wstring& fileName);
  const std::wstring& ZipFileName() const { return zipFileName; }

  void setPassword(const std::wstring& password);
  const std::wstring& Password() const { return password; }

  void setExtrOptions(ExtrOptionSet options) { extrOptions = options; }
  ExtrOptionSet ExtrOptions() const { return extrOptions; }

  // Changing it lists the open archive again.
  void setUseDirOnlyEntries(bool use);
  bool UseDirOnlyEntries() const { return useDirOnlyEntries; }

  // Returned exactly as set; an empty text means the current folder.
  void setExtrBaseDir(const std::wstring& folder) { extrBaseDir = folder; }
  const std::wstring& ExtrBaseDir() const { return extrBaseDir; }

  // Entry names or masks for Extract: clear() and push_back().
  std::vector<std::wstring>& FSpecArgs() { return fSpecArgs; }
  const std::vector<std::wstring>& FSpecArgs() const { return fSpecArgs; }

  void setUnattended(bool unattended) { this->unattended = unattended; }
  bool Unattended() const { return unattended; }

  // Stored only: nothing here erases archive entries.
  void setConfirmErase(bool confirm) { confirmErase = confirm; }
  bool ConfirmErase() const { return confirmErase; }

  // Stored only: extraction needs no separately loaded library.
  void setDLL_Load(bool load) { dllLoad = load; }
  bool DLL_Load() const { return dllLoad; }

  // The component's own version; setting it has no effect.
  void setVersion(const std::wstring&) {}
  std::wstring Version() const { return L"1.9.1.0019"; }

  int Count() const { return static_cast<int>(entries.size()); }
  // The entry at a 0-based index below Count; an empty entry for any other index.
  const ZipDirEntry& DirEntry(int index) const;

  // Extracts the listed entries that match FSpecArgs; 0 or a ZipMasterError.
  int Extract();
  // Reads the listed entry at index (below Count) into out instead of a file, verified as
  // Extract verifies it; no name checks, since nothing is written. 0 or a ZipMasterError.
  int ExtractEntryTo(int index, std::ostream& out);

  // The file the last Extract wrote (its last entry's): size and last-write time as the file
  // system keeps them (100-ns intervals since 1601-01-01 UTC); valid false when none was written.
  struct WrittenFile {
    bool valid = false;
    uint64_t size = 0;
    uint64_t time = 0;
  };
  const WrittenFile& LastWritten() const { return lastWritten; }

  // The last failure (0 and empty after a call that succeeded).
  int ErrCode() const { return errCode; }
  const std::wstring& ErrMessage() const { return errMessage; }
  // The Windows error number of the system call behind the last failure (errno values
  // translated); 0 when the failure came from no system call (a damaged entry, a wrong password).
  uint32_t ErrSystemCode() const { return errSystemCode; }

 private:
  struct ArchiveCloser {
    void operator()(zip* archive) const;
  };

  void ListEntries();
  void CloseArchive();
  std::vector<size_t> SelectEntries() const;
  int ExtractEntry(const ZipDirEntry& entry);
  // Reads the entry into the created file and finishes it (moved over replaceTarget if given).
  int WriteEntryFile(const ZipDirEntry& entry, const std::wstring& display, const std::wstring& shownFile,
                     class EntryFile& file, const std::filesystem::path* replaceTarget);
  // Receives the entry's data block by block; false when the block could not be written.
  using BlockWriter = std::function<bool(const char* data, size_t size)>;
  // Reads the whole entry, verified, handing each block to write (nowhere when write is empty).
  int ReadEntry(const ZipDirEntry& entry, const std::wstring& display, const BlockWriter& write);
  int Fail(int code, const std::wstring& text, uint32_t systemCode = 0);
  void ClearError();

  std::unique_ptr<zip, ArchiveCloser> archive;
  std::wstring zipFileName;
  std::wstring password;
  std::string passwordUtf8;
  ExtrOptionSet extrOptions;
  bool useDirOnlyEntries = false;
  std::wstring extrBaseDir;
  std::vector<std::wstring> fSpecArgs;
  bool unattended = false;
  bool confirmErase = false;
  bool dllLoad = false;

  std::vector<ZipDirEntry> entries;
  // Exact names to their positions in entries, so selecting one entry costs no scan.
  std::unordered_multimap<std::wstring_view, size_t> byName;
  std::vector<char> buffer;
  std::vector<unsigned char> blocks;  // blocks in flight of encrypted entries read by EntryReader.h

  WrittenFile lastWritten;
  int errCode = 0;
  std::wstring errMessage;
  uint32_t errSystemCode = 0;
};
