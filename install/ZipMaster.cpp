#include "install/ZipMaster.h"

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

#include "install/EntryFile.h"
#include "install/EntryReader.h"
#include "install/ZipEntryName.h"
#include "install/ZipMask.h"
#include "install/ZipNameDecode.h"
#include "support/DebugLog.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kBufferSize = 256 * 1024;      // the one read buffer: memory stays bounded
constexpr int64_t kPumpInterval = 1024 * 1024;  // bytes between two message pumps
constexpr zip_int64_t kPumpEntries = 256;       // listed entries between two message pumps
// Deflated ZipCrypto entries from this size on are decrypted on a worker thread (EntryReader.h);
// smaller ones are read directly, without a thread start per file.
constexpr int64_t kPipelineThreshold = 1024 * 1024;
constexpr const wchar_t* kPartialSuffix = L".~setup-partial";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The platform path of a text: wide on Windows; UTF-8 with "\" as separator elsewhere.
fs::path ToFsPath(const std::wstring& text) {
#ifdef _WIN32
  return fs::path(text);
#else
  std::wstring unix = text;
  std::replace(unix.begin(), unix.end(), L'\\', L'/');
  return fs::path(WideToUtf8(unix));
#endif
}

std::wstring JoinDisplay(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || IsSeparator(folder.back())) return folder + name;
  return folder + L"\\" + name;
}

std::wstring BareName(const std::wstring& name) {
  const size_t slash = name.find_last_of(L"\\/");
  return slash == std::wstring::npos ? name : name.substr(slash + 1);
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// German reasons for the libzip errors a user can meet; libzip's own text for the rest.
std::wstring ZipErrorText(zip_error_t* error) {
  switch (zip_error_code_zip(error)) {
    case ZIP_ER_NOENT: return L"Datei nicht gefunden";
    case ZIP_ER_OPEN: return L"Datei kann nicht geöffnet werden";
    case ZIP_ER_READ: return L"Lesefehler";
    case ZIP_ER_SEEK: return L"Positionierfehler";
    case ZIP_ER_NOZIP: return L"keine ZIP-Datei";
    case ZIP_ER_INCONS: return L"Archiv beschädigt";
    case ZIP_ER_CRC: return L"Prüfsumme falsch";
    case ZIP_ER_ZLIB: return L"Daten lassen sich nicht entpacken";
    case ZIP_ER_EOF: return L"unerwartetes Dateiende";
    case ZIP_ER_MEMORY: return L"zu wenig Speicher";
    case ZIP_ER_WRONGPASSWD: return L"falsches Kennwort";
    case ZIP_ER_NOPASSWD: return L"Kennwort fehlt";
    case ZIP_ER_COMPNOTSUPP: return L"Kompressionsverfahren nicht unterstützt";
    case ZIP_ER_ENCRNOTSUPP: return L"Verschlüsselungsverfahren nicht unterstützt";
    default: return Utf8ToWideLenient(zip_error_strerror(error));
  }
}

// The Windows error number for a C library error; 0 when there is none or no close match.
uint32_t SystemCodeOfErrno(int error) {
  switch (error) {
    case 0: return 0;
    case ENOENT: return 2;  // ERROR_FILE_NOT_FOUND
    case EACCES:
    case EPERM:
    case EROFS: return 5;  // ERROR_ACCESS_DENIED
    case EBUSY: return 32;  // ERROR_SHARING_VIOLATION
    case EEXIST: return 80;  // ERROR_FILE_EXISTS
    case ENOSPC: return 112;  // ERROR_DISK_FULL
    case ENAMETOOLONG: return 206;  // ERROR_FILENAME_EXCED_RANGE
    case ENOTDIR: return 267;  // ERROR_DIRECTORY
    case EXDEV: return 17;  // ERROR_NOT_SAME_DEVICE
    case ENOMEM: return 8;  // ERROR_NOT_ENOUGH_MEMORY
    default: return 0;
  }
}

// The system error behind a file-system failure: Windows numbers as they are, errno translated.
uint32_t SystemCodeOf(const std::error_code& ec) {
  if (!ec) return 0;
#ifdef _WIN32
  if (ec.category() == std::system_category()) return static_cast<uint32_t>(ec.value());
#endif
  return SystemCodeOfErrno(ec.default_error_condition().value());
}

// The system error that libzip recorded with its own error (opening and reading the file).
uint32_t SystemCodeOf(zip_error_t* error) {
  if (zip_error_code_zip(error) == ZIP_ER_NOENT) return 2;  // ERROR_FILE_NOT_FOUND, found missing by libzip
  if (zip_error_system_type(error) != ZIP_ET_SYS) return 0;
  return SystemCodeOfErrno(zip_error_code_system(error));
}

int ClassifyZipError(zip_error_t* error) {
  switch (zip_error_code_zip(error)) {
    case ZIP_ER_WRONGPASSWD: return zmWrongPassword;
    case ZIP_ER_NOPASSWD: return zmPasswordMissing;
    case ZIP_ER_COMPNOTSUPP:
    case ZIP_ER_ENCRNOTSUPP: return zmUnsupported;
    default: return zmDamagedEntry;
  }
}

zip_t* OpenArchive(const std::wstring& fileName, zip_error_t* error) {
#ifdef _WIN32
  zip_source_t* source = zip_source_win32w_create(fileName.c_str(), 0, -1, error);
#else
  zip_source_t* source = zip_source_file_create(ToFsPath(fileName).c_str(), 0, -1, error);
#endif
  if (source == nullptr) return nullptr;
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, error);
  if (archive == nullptr) zip_source_free(source);
  return archive;
}

struct FileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using unique_zip_file = std::unique_ptr<zip_file_t, FileCloser>;

int64_t FileTimeSeconds(fs::file_time_type time) {
  const auto sys = std::chrono::file_clock::to_sys(time);
  return std::chrono::floor<std::chrono::seconds>(sys).time_since_epoch().count();
}

const ZipDirEntry kNoEntry{};

int StatIndex(zip* archive, uint64_t index, uint32_t flags, struct zip_stat* out) {
  return zip_stat_index(archive, index, flags, out);
}

}  // namespace

ZipStatIndexFn ZipStatIndexCall = StatIndex;

void TZipMaster::ArchiveCloser::operator()(zip* archive) const { zip_discard(archive); }

TZipMaster::TZipMaster() = default;
TZipMaster::~TZipMaster() = default;

void TZipMaster::setZipFileName(const std::wstring& fileName) {
  CloseArchive();
  ClearError();
  zipFileName = fileName;
  if (fileName.empty()) return;
  zip_error_t error;
  zip_error_init(&error);
  archive.reset(OpenArchive(fileName, &error));
  if (!archive) {
    Fail(zmNoArchive, L"Das Archiv " + Quoted(fileName) + L" kann nicht gelesen werden: " + ZipErrorText(&error) + L".",
         SystemCodeOf(&error));
    zip_error_fini(&error);
    return;
  }
  zip_error_fini(&error);
  ListEntries();
}

void TZipMaster::setPassword(const std::wstring& text) {
  password = text;
  // WinZip AES defines UTF-8; for ZipCrypto the tools differ, and ASCII passwords agree in all.
  passwordUtf8 = WideToUtf8(text);
}

void TZipMaster::setUseDirOnlyEntries(bool use) {
  if (use == useDirOnlyEntries) return;
  useDirOnlyEntries = use;
  ListEntries();
}

const ZipDirEntry& TZipMaster::DirEntry(int index) const {
  if (index < 0 || index >= Count()) return kNoEntry;
  return entries[static_cast<size_t>(index)];
}

void TZipMaster::CloseArchive() {
  byName.clear();
  entries.clear();
  archive.reset();
}

void TZipMaster::ListEntries() {
  byName.clear();
  entries.clear();
  if (!archive) return;
  zip_t* za = archive.get();
  const zip_int64_t total = zip_get_num_entries(za, 0);
  entries.reserve(static_cast<size_t>(std::max<zip_int64_t>(total, 0)));
  for (zip_int64_t i = 0; i < total; ++i) {
    if (i % kPumpEntries == kPumpEntries - 1 && pumpMessages) pumpMessages();  // a long listing stays responsive
    zip_stat_t st;
    zip_stat_init(&st);
    if (ZipStatIndexCall(za, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW, &st) != 0 || st.name == nullptr) {
      // An entry left out would be missing from the installation without a word: the whole
      // listing fails instead.
      zip_error_t* error = zip_get_error(za);
      const std::wstring reason = zip_error_code_zip(error) != ZIP_ER_OK ? ZipErrorText(error) : L"Archiv beschädigt";
      const uint32_t systemCode = SystemCodeOf(error);
      CloseArchive();
      Fail(zmNoArchive, L"Das Archiv " + Quoted(zipFileName) + L" kann nicht gelesen werden: Eintrag " +
                            std::to_wstring(i + 1) + L": " + reason + L".",
           systemCode);
      return;
    }
    // libzip returns a flagged (or plain ASCII) name unchanged under ZIP_FL_ENC_STRICT and
    // converts every other one from CP437; equal texts therefore mean "take it as UTF-8".
    const char* strict = zip_get_name(za, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_STRICT);
    const bool utf8Flag = strict != nullptr && std::strcmp(strict, st.name) == 0;
    const std::string_view raw(st.name);
    const bool isDirectory = !raw.empty() && (raw.back() == '/' || raw.back() == '\\');
    if (isDirectory && !useDirOnlyEntries) continue;
    ZipDirEntry entry;
    entry.FileName = DecodeEntryName(raw, utf8Flag);
    std::replace(entry.FileName.begin(), entry.FileName.end(), L'/', L'\\');
    entry.UncompressedSize = (st.valid & ZIP_STAT_SIZE) ? static_cast<int64_t>(st.size) : 0;
    entry.index = static_cast<uint64_t>(i);
    entry.isDirectory = isDirectory;
    entry.modified = (st.valid & ZIP_STAT_MTIME) ? static_cast<int64_t>(st.mtime) : 0;
    entry.compressionMethod = (st.valid & ZIP_STAT_COMP_METHOD) ? st.comp_method : ZIP_CM_STORE;
    entry.encryptionMethod = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) ? st.encryption_method : ZIP_EM_NONE;
    entries.push_back(std::move(entry));
  }
  // Built after the last push_back: the keys view the names stored in entries.
  byName.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) byName.emplace(entries[i].FileName, i);
}

std::vector<size_t> TZipMaster::SelectEntries() const {
  std::vector<size_t> selected;
  for (const std::wstring& arg : fSpecArgs) {
    std::wstring spec = arg;
    std::replace(spec.begin(), spec.end(), L'/', L'\\');
    // An exact name wins, even when it holds "*", "?" or "[".
    auto [first, last] = byName.equal_range(spec);
    if (first != last) {
      for (auto it = first; it != last; ++it) selected.push_back(it->second);
      continue;
    }
    // Masks, and names that differ only in the case of letters.
    for (size_t i = 0; i < entries.size(); ++i)
      if (MatchesFSpec(spec, entries[i].FileName)) selected.push_back(i);
  }
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  return selected;
}

int TZipMaster::Extract() {
  ClearError();
  if (!archive) return Fail(zmNoArchive, L"Es ist kein lesbares Archiv geöffnet.");
  const std::vector<size_t> selected = SelectEntries();
  if (selected.empty()) {
    std::wstring specs;
    for (const std::wstring& s : fSpecArgs) specs += (specs.empty() ? L"" : L", ") + Quoted(s);
    return Fail(zmNoMatch, L"Im Archiv " + Quoted(zipFileName) + L" passt kein Eintrag zu " +
                               (specs.empty() ? std::wstring(L"der leeren Auswahl") : specs) + L".");
  }
  bool first = true;
  for (size_t i : selected) {
    if (!first && pumpMessages) pumpMessages();
    first = false;
    if (const int rc = ExtractEntry(entries[i]); rc != zmOk) return rc;
  }
  return zmOk;
}

int TZipMaster::ExtractEntryTo(int index, std::ostream& out) {
  ClearError();
  if (!archive) return Fail(zmNoArchive, L"Es ist kein lesbares Archiv geöffnet.");
  if (index < 0 || index >= Count())
    return Fail(zmNoMatch, L"Im Archiv " + Quoted(zipFileName) + L" gibt es keinen Eintrag Nummer " +
                               std::to_wstring(index) + L".");
  const ZipDirEntry& entry = entries[static_cast<size_t>(index)];
  if (entry.isDirectory) return zmOk;
  return ReadEntry(entry, entry.FileName, [&out](const char* data, size_t size) {
    return static_cast<bool>(out.write(data, static_cast<std::streamsize>(size)));
  });
}

int TZipMaster::ExtractEntry(const ZipDirEntry& entry) {
  if (!IsSafeEntryName(entry.FileName))
    return Fail(zmUnsafeName, L"Der Eintrag " + Quoted(entry.FileName) +
                                  L" hat einen unzulässigen Namen und wird nicht entpackt.");
  const bool dirNames = extrOptions.contains(ExtrDirNames);
  if (extrOptions.contains(ExtrTest)) return entry.isDirectory ? zmOk : ReadEntry(entry, entry.FileName, {});
  if (entry.isDirectory && !dirNames) return zmOk;

  const fs::path base = extrBaseDir.empty() ? fs::path(".") : ToFsPath(extrBaseDir);
  const std::wstring relName = dirNames ? entry.FileName : BareName(entry.FileName);
  const std::wstring display = JoinDisplay(extrBaseDir, relName);
  const fs::path target = base / ToFsPath(relName);
  const bool freshenOnly = extrOptions.contains(ExtrFreshen) && !extrOptions.contains(ExtrUpdate);
  if (!entry.isDirectory && !freshenOnly) {
    // The common case: a new file in a folder that is there, created at once under its name.
    // Anything else (a file or folder there, a folder missing) takes the checks below.
    EntryFile file;
    if (file.Create(target)) return WriteEntryFile(entry, display, display, file, nullptr);
  }

  std::error_code ec;
  if (!fs::is_directory(base, ec)) {
    if (!extrOptions.contains(ExtrForceDirs) || fs::exists(base, ec))
      return Fail(zmBaseDirMissing, L"Der Zielordner " + Quoted(extrBaseDir) + L" existiert nicht.");
    fs::create_directories(base, ec);
    if (ec || !fs::is_directory(base, ec))
      return Fail(zmBaseDirMissing, L"Der Zielordner " + Quoted(extrBaseDir) + L" kann nicht angelegt werden (" +
                                        std::to_wstring(ec.value()) + L").",
                  SystemCodeOf(ec));
  }
  if (entry.isDirectory) {
    fs::create_directories(target, ec);
    if (ec || !fs::is_directory(target, ec))
      return Fail(zmWriteFailed, L"Der Ordner " + Quoted(display) + L" kann nicht angelegt werden (" +
                                     std::to_wstring(ec.value()) + L").",
                  SystemCodeOf(ec));
    return zmOk;
  }
  if (dirNames) {
    fs::create_directories(target.parent_path(), ec);
    if (ec) return Fail(zmWriteFailed, L"Der Ordner für " + Quoted(display) + L" kann nicht angelegt werden (" +
                                           std::to_wstring(ec.value()) + L").",
                  SystemCodeOf(ec));
  }

  const fs::file_status status = fs::symlink_status(target, ec);
  const bool freshenOrUpdate = extrOptions.contains(ExtrFreshen) || extrOptions.contains(ExtrUpdate);
  if (fs::exists(status)) {
    if (fs::is_directory(status))
      return Fail(zmWriteFailed, L"Die Datei " + Quoted(display) + L" kann nicht geschrieben werden: dort ist ein Ordner.");
    if (freshenOrUpdate) {
      const auto existing = fs::last_write_time(target, ec);
      if (!ec && entry.modified <= FileTimeSeconds(existing)) return zmOk;  // not newer: keep it
    } else if (!extrOptions.contains(ExtrOverWrite)) {
      return Fail(zmTargetExists, L"Die Datei " + Quoted(display) + L" existiert bereits und wird nicht überschrieben.");
    }
  } else if (freshenOnly) {
    return zmOk;  // freshen only replaces files that are there
  } else {
    EntryFile file;
    if (file.Create(target)) return WriteEntryFile(entry, display, display, file, nullptr);
    if (file.exists() && !extrOptions.contains(ExtrOverWrite))  // appeared since the check
      return Fail(zmTargetExists, L"Die Datei " + Quoted(display) + L" existiert bereits und wird nicht überschrieben.");
    if (!file.exists())
      return Fail(zmWriteFailed, L"Die Datei " + Quoted(display) + L" kann nicht angelegt werden (" +
                                     std::to_wstring(file.error().value()) + L").",
                  SystemCodeOf(file.error()));
  }

  // An existing file is replaced only by a complete, verified one.
  fs::path partialPath = target;
  partialPath += kPartialSuffix;
  fs::remove(partialPath, ec);  // a stale one from an interrupted run
  EntryFile partial;
  if (!partial.Create(partialPath))
    return Fail(zmWriteFailed, L"Die Datei " + Quoted(display + kPartialSuffix) + L" kann nicht angelegt werden.",
                SystemCodeOf(partial.error()));
  return WriteEntryFile(entry, display, display + kPartialSuffix, partial, &target);
}

int TZipMaster::WriteEntryFile(const ZipDirEntry& entry, const std::wstring& display, const std::wstring& shownFile,
                               EntryFile& file, const fs::path* replaceTarget) {
  // The file is removed when this returns early: EntryFile keeps only a finished file.
  const auto write = [&file](const char* data, size_t size) { return file.Write(data, size); };
  if (const int rc = ReadEntry(entry, display, write); rc != zmOk) return rc;
  if (!file.Finish(entry.modified, replaceTarget)) {  // the entry's time, as unzip sets it
    if (replaceTarget != nullptr)
      return Fail(zmWriteFailed, L"Die Datei " + Quoted(display) + L" kann nicht ersetzt werden (" +
                                     std::to_wstring(file.error().value()) + L").",
                  SystemCodeOf(file.error()));
    return Fail(zmWriteFailed, L"Die Datei " + Quoted(shownFile) + L" kann nicht geschrieben werden.",
                SystemCodeOf(file.error()));
  }
  lastWritten = {true, file.size(), file.writeTime()};
  return zmOk;
}

int TZipMaster::ReadEntry(const ZipDirEntry& entry, const std::wstring& display, const BlockWriter& write) {
  zip_t* za = archive.get();
  // Checked first: libzip 1.7.3 leaks its reader when it meets an unknown encryption method.
  if ((entry.encryptionMethod != ZIP_EM_NONE && !zip_encryption_method_supported(entry.encryptionMethod, 0)) ||
      !zip_compression_method_supported(entry.compressionMethod, 0))
    return Fail(zmUnsupported, L"Der Eintrag " + Quoted(entry.FileName) +
                                   L" lässt sich nicht entpacken: Verfahren nicht unterstützt (Kompression " +
                                   std::to_wstring(entry.compressionMethod) + L", Verschlüsselung " +
                                   std::to_wstring(entry.encryptionMethod) + L").");
  const auto failZip = [&](zip_error_t* error) {
    const int code = ClassifyZipError(error);
    std::wstring text;
    switch (code) {
      case zmWrongPassword: text = L"Falsches Kennwort für " + Quoted(entry.FileName) + L"."; break;
      case zmPasswordMissing: text = L"Für " + Quoted(entry.FileName) + L" ist ein Kennwort nötig."; break;
      case zmUnsupported:
        text = L"Der Eintrag " + Quoted(entry.FileName) + L" lässt sich nicht entpacken: " + ZipErrorText(error) + L".";
        break;
      default:
        text = L"Der Eintrag " + Quoted(entry.FileName) + L" ist beschädigt oder das Kennwort ist falsch: " +
               ZipErrorText(error) + L".";
    }
    return Fail(code, text, SystemCodeOf(error));
  };
  const auto checkLength = [&](int64_t written) {
    if (written != entry.UncompressedSize)
      return Fail(zmDamagedEntry, L"Der Eintrag " + Quoted(entry.FileName) + L" ist beschädigt: falsche Länge.");
    return static_cast<int>(zmOk);
  };
  const auto failWrite = [&]() {
    return Fail(zmWriteFailed, L"Die Datei " + Quoted(display) + L" kann nicht geschrieben werden.");
  };
  if (buffer.size() != kBufferSize) buffer.resize(kBufferSize);

  const bool aes = entry.encryptionMethod == ZIP_EM_AES_128 || entry.encryptionMethod == ZIP_EM_AES_192 ||
                   entry.encryptionMethod == ZIP_EM_AES_256;
  const bool largeZipCrypto =
      entry.encryptionMethod == ZIP_EM_TRAD_PKWARE && entry.UncompressedSize >= kPipelineThreshold;
  if (entry.compressionMethod == ZIP_CM_DEFLATE && (aes || largeZipCrypto) && !passwordUtf8.empty()) {
    const EntryRead read =
        ReadDeflatedEntry(za, entry.index, aes ? StoredDataWay::AesByLibzip : StoredDataWay::ZipCryptoOnWorker,
                          passwordUtf8, write, pumpMessages, kPumpInterval, buffer, blocks);
    switch (read.outcome) {
      case EntryRead::NotTaken: break;  // read directly below
      case EntryRead::Done: return checkLength(read.written);
      case EntryRead::WriteFailed: return failWrite();
      case EntryRead::ZipError: {
        zip_error_t error;
        zip_error_init(&error);
        zip_error_set(&error, read.zipError, read.systemError);
        const int rc = failZip(&error);
        zip_error_fini(&error);
        return rc;
      }
    }
  }

  unique_zip_file file(zip_fopen_index_encrypted(za, entry.index, 0, passwordUtf8.empty() ? nullptr : passwordUtf8.c_str()));
  if (!file) return failZip(zip_get_error(za));
  int64_t written = 0, nextPump = kPumpInterval;
  while (true) {
    const zip_int64_t n = zip_fread(file.get(), buffer.data(), buffer.size());
    if (n < 0) return failZip(zip_file_get_error(file.get()));
    if (n == 0) break;  // end of data: the CRC (of a stored AES entry also the authentication code) has been checked
    if (write && !write(buffer.data(), static_cast<size_t>(n))) return failWrite();
    written += n;
    if (written >= nextPump) {
      nextPump = written + kPumpInterval;
      if (pumpMessages) pumpMessages();
    }
  }
  if (const int rc = zip_fclose(file.release()); rc != 0) {
    zip_error_t error;
    zip_error_init_with_code(&error, rc);
    const int result = failZip(&error);
    zip_error_fini(&error);
    return result;
  }
  return checkLength(written);
}

int TZipMaster::Fail(int code, const std::wstring& text, uint32_t systemCode) {
  errCode = code;
  errMessage = text;
  errSystemCode = systemCode;
  if (LogProc != nullptr) LogProc(3, L"TZipMaster: " + text);
  if (!unattended && showMessage) showMessage(text);
  return code;
}

void TZipMaster::ClearError() {
  lastWritten = {};
  errCode = zmOk;
  errMessage.clear();
  errSystemCode = 0;
}
