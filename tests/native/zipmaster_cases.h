// Tests of the archive component TZipMaster shared by the native program (zipmaster_test) and
// the Windows program run under Wine (zipmaster_win_test): the same cases on both file systems.
// Archives from Info-ZIP and 7-Zip come from the build tree (ZIP_FIXTURE_DIR); archives with
// hostile or odd names are written here with libzip.
#pragma once
#include <gtest/gtest.h>
#include <zip.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "install/ZipEntryName.h"
#include "install/ZipMask.h"
#include "install/ZipMaster.h"
#include "install/ZipNameDecode.h"
#include "support/DebugLog.h"

namespace zmtest {

namespace fs = std::filesystem;

inline const std::wstring kPassword = L"HaLtEr@20150307";
inline const std::string kGlobalCfg = "[Global]\nName=Ostrauwen\nVersion=1.2\nHaltestellen=48\nLinien=7\n";
inline const std::string kUmlautText = "Übersicht der Größen: Bürgerstraße, Außenring, Ölhafen\n";
inline const std::string kReadme = "Readme of the test tree.\n";
inline const std::wstring kUmlautEntry = L"Stra\u00DFen\\Gr\u00F6\u00DFen\u00FCbersicht.txt";
inline constexpr int64_t kBigSize = 2688895;  // seq 1 400000

// A text path of the tests as the file system sees it ("\" counts as separator natively too).
inline fs::path Fs(const std::wstring& text) {
#ifdef _WIN32
  return fs::path(text);
#else
  std::wstring t = text;
  for (wchar_t& c : t)
    if (c == L'\\') c = L'/';
  return fs::path(WideToUtf8(t));
#endif
}

inline std::wstring Text(const fs::path& path) {
#ifdef _WIN32
  return path.wstring();
#else
  return Utf8ToWideLenient(path.string());
#endif
}

// The fixture archives, as the running program addresses them (Wine maps Z: to "/").
inline std::wstring Fixture(const char* name) {
  std::wstring path = Utf8ToWideLenient(std::string(ZIP_FIXTURE_DIR) + "/" + name);
#ifdef _WIN32
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  path = L"Z:" + path;
#endif
  return path;
}

inline const char* const kFixtures[] = {"infozip.zip", "7zip-zipcrypto.zip", "7zip-aes256.zip"};

// A fresh folder below the temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path = fs::temp_directory_path() / ("zipmaster-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  // The folder as a text ending with a separator, like the install run's folder texts.
  std::wstring folder() const { return Text(path) + L"\\"; }
  fs::path path;
};

inline std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const fs::path& file, const std::string& data) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

// Every file and folder below root, relative, with "/".
inline std::set<std::string> Tree(const fs::path& root) {
  std::set<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(root))
    names.insert(reinterpret_cast<const char*>(fs::relative(e.path(), root).generic_u8string().c_str()));
  return names;
}

// An archive written with libzip; names are stored byte for byte (a trailing "/" makes a
// folder entry). libzip sets the UTF-8 flag for valid non-ASCII UTF-8 names only.
struct RawEntry {
  std::string name;
  std::string data;
};
inline void WriteZip(const fs::path& file, const std::vector<RawEntry>& items) {
  int err = 0;
  const std::u8string u8 = file.u8string();
  zip_t* za = zip_open(reinterpret_cast<const char*>(u8.c_str()), ZIP_CREATE | ZIP_TRUNCATE, &err);
  ASSERT_NE(za, nullptr) << err;
  for (const RawEntry& item : items) {
    if (!item.name.empty() && item.name.back() == '/') {
      ASSERT_GE(zip_dir_add(za, item.name.c_str(), ZIP_FL_ENC_GUESS), 0) << item.name;
      continue;
    }
    zip_source_t* src = zip_source_buffer(za, item.data.data(), item.data.size(), 0);
    ASSERT_GE(zip_file_add(za, item.name.c_str(), src, ZIP_FL_ENC_GUESS), 0) << item.name;
  }
  ASSERT_EQ(zip_close(za), 0);
}

// The text of "seq 1 <last>": big.txt of the tool-made fixtures.
inline std::string SeqText(int last) {
  std::string text;
  for (int i = 1; i <= last; ++i) text += std::to_string(i) + "\n";
  return text;
}

// Text with stretches of random bytes, like the add-on's large files: deflate writes both
// compressed and stored blocks for it.
inline std::string LargeContent(size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string data;
  data.reserve(size + 64);
  while (data.size() < size) {
    if (rng() % 4 == 0) {
      for (int i = 0; i < 3000; ++i) data += static_cast<char>(rng());
    } else {
      for (int i = 0; i < 60; ++i) data += "Haltestelle " + std::to_string(rng() % 1000) + " Linie 7\n";
    }
  }
  data.resize(size);
  return data;
}

// An archive written with libzip whose files are all encrypted with kPassword (ZIP_EM_TRAD_PKWARE
// or ZIP_EM_AES_256), deflated at level 1; no data descriptors, so the headers hold the sizes.
inline void WriteEncryptedZip(const fs::path& file, const std::vector<RawEntry>& items, zip_uint16_t method) {
  int err = 0;
  const std::u8string u8 = file.u8string();
  zip_t* za = zip_open(reinterpret_cast<const char*>(u8.c_str()), ZIP_CREATE | ZIP_TRUNCATE, &err);
  ASSERT_NE(za, nullptr) << err;
  const std::string password = WideToUtf8(kPassword);
  for (const RawEntry& item : items) {
    zip_source_t* src = zip_source_buffer(za, item.data.data(), item.data.size(), 0);
    const zip_int64_t index = zip_file_add(za, item.name.c_str(), src, ZIP_FL_ENC_GUESS);
    ASSERT_GE(index, 0) << item.name;
    const auto i = static_cast<zip_uint64_t>(index);
    ASSERT_EQ(zip_set_file_compression(za, i, ZIP_CM_DEFLATE, 1), 0);
    ASSERT_EQ(zip_file_set_encryption(za, i, method, password.c_str()), 0);
  }
  ASSERT_EQ(zip_close(za), 0);
}

// Where an entry of such an archive lies: its local header, its stored data (after the
// encryption header), and its central directory record.
struct EntryLayout {
  size_t local = 0, data = 0, storedSize = 0, central = 0;
};
inline uint32_t Le(const std::string& bytes, size_t at, int width) {
  uint32_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  return v;
}
inline EntryLayout LayoutOf(const std::string& bytes, const std::string& name) {
  EntryLayout e;
  for (size_t at = 0; (at = bytes.find("PK\x03\x04", at)) != std::string::npos; ++at)
    if (bytes.compare(at + 30, name.size(), name) == 0 && Le(bytes, at + 26, 2) == name.size()) {
      e.local = at;
      break;
    }
  e.data = e.local + 30 + Le(bytes, e.local + 26, 2) + Le(bytes, e.local + 28, 2);
  e.storedSize = Le(bytes, e.local + 18, 4);
  for (size_t at = 0; (at = bytes.find("PK\x01\x02", at)) != std::string::npos; ++at)
    if (bytes.compare(at + 46, name.size(), name) == 0) {
      e.central = at;
      break;
    }
  return e;
}
inline void SetLe32(std::string& bytes, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
}

// The buffer of an output stream: keeps up to limit bytes, then fails like a full disk; notes
// the threads that write to it.
class LimitedSink : public std::streambuf {
 public:
  explicit LimitedSink(size_t limit = std::string::npos) : limit(limit) {}
  std::string data;
  std::set<std::thread::id> writers;

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    writers.insert(std::this_thread::get_id());
    const size_t room = limit - std::min(limit, data.size());
    const size_t take = std::min(room, static_cast<size_t>(n));
    data.append(s, take);
    return static_cast<std::streamsize>(take);
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
  }

 private:
  size_t limit;
};

// The threads that wrote a log line (LogProc is a plain function).
inline std::set<std::thread::id> logThreads;

// The component with its messages collected; its log lines stay out of the test output.
struct Zip {
  Zip() {
    LogProc = [](int32_t, const std::wstring&) { logThreads.insert(std::this_thread::get_id()); };
    zm.showMessage = [this](const std::wstring& text) {
      messages.push_back(text);
      reportThreads.insert(std::this_thread::get_id());
    };
    zm.pumpMessages = [this] {
      ++pumps;
      reportThreads.insert(std::this_thread::get_id());
    };
  }
  // The install run's calls for one entry: select it, point ExtrBaseDir at the entry's own
  // target folder (created when missing, as the run does), extract.
  int ExtractAsInstallRun(int index, const std::wstring& target) {
    const std::wstring name = zm.DirEntry(index).FileName;
    zm.FSpecArgs().clear();
    zm.setExtrBaseDir(target);
    zm.FSpecArgs().push_back(name);
    const std::wstring relFolder = name.substr(0, name.find_last_of(L'\\') + 1);
    fs::create_directories(Fs(target + relFolder));
    zm.setExtrBaseDir(target + relFolder);
    return zm.Extract();
  }
  int IndexOf(const std::wstring& name) const {
    for (int i = 0; i < zm.Count(); ++i)
      if (zm.DirEntry(i).FileName == name) return i;
    return -1;
  }
  TZipMaster zm;
  std::vector<std::wstring> messages;
  int pumps = 0;
  std::set<std::thread::id> reportThreads;  // where showMessage and pumpMessages ran
};

inline void OpenForInstall(Zip& z, const std::wstring& archive) {
  z.zm.setZipFileName(archive);
  z.zm.setExtrOptions(z.zm.ExtrOptions() + ExtrOverWrite);
  z.zm.setUseDirOnlyEntries(true);
  z.zm.setPassword(kPassword);
}

class ZipFixture : public ::testing::TestWithParam<const char*> {};
INSTANTIATE_TEST_SUITE_P(Tools, ZipFixture, ::testing::ValuesIn(kFixtures),
                         [](const auto& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

TEST_P(ZipFixture, ListsFolderEntriesOnlyWhenAskedWithBackslashesAndUmlauts) {
  Zip z;
  z.zm.setZipFileName(Fixture(GetParam()));
  ASSERT_TRUE(z.messages.empty()) << testing::PrintToString(z.messages);
  std::set<std::wstring> files;
  for (int i = 0; i < z.zm.Count(); ++i) files.insert(z.zm.DirEntry(i).FileName);
  EXPECT_EQ(files, (std::set<std::wstring>{L"maps\\Ostrauwen\\global.cfg", kUmlautEntry, L"readme.txt", L"big.txt"}));

  z.zm.setUseDirOnlyEntries(true);  // lists again
  std::set<std::wstring> all;
  for (int i = 0; i < z.zm.Count(); ++i) all.insert(z.zm.DirEntry(i).FileName);
  EXPECT_EQ(all, (std::set<std::wstring>{L"maps\\", L"maps\\Ostrauwen\\", L"maps\\Ostrauwen\\global.cfg", L"Stra\u00DFen\\",
                                         kUmlautEntry, L"readme.txt", L"big.txt"}));
  EXPECT_EQ(z.zm.DirEntry(z.IndexOf(L"big.txt")).UncompressedSize, kBigSize);
  EXPECT_EQ(z.zm.DirEntry(z.IndexOf(L"maps\\")).UncompressedSize, 0);
  EXPECT_EQ(z.zm.DirEntry(z.IndexOf(L"maps\\Ostrauwen\\global.cfg")).UncompressedSize,
            static_cast<int64_t>(kGlobalCfg.size()));
  EXPECT_TRUE(z.zm.DirEntry(z.zm.Count()).FileName.empty());
  EXPECT_TRUE(z.zm.DirEntry(-1).FileName.empty());
}

// The settings step opens the archive by its bare name, in the current folder.
TEST(ZipMaster, BareArchiveNameIsFoundInTheCurrentFolder) {
  TempDir dir;
  fs::copy_file(Fs(Fixture("7zip-aes256.zip")), dir.path / "Ostrauwen_1-2.dat");
  const fs::path previous = fs::current_path();
  fs::current_path(dir.path);
  Zip z;
  z.zm.setZipFileName(L"Ostrauwen_1-2.dat");
  z.zm.setUseDirOnlyEntries(true);
  fs::current_path(previous);
  EXPECT_EQ(z.zm.Count(), 7);
  int64_t total = 0;
  for (int i = 0; i < z.zm.Count(); ++i) total += z.zm.DirEntry(i).UncompressedSize;
  EXPECT_EQ(total, kBigSize + static_cast<int64_t>(kGlobalCfg.size() + kUmlautText.size() + kReadme.size()));
}

TEST(ZipMaster, ListsInCentralDirectoryOrderAndRereadsTheSameName) {
  Zip z;
  z.zm.setUseDirOnlyEntries(true);
  z.zm.setZipFileName(Fixture("infozip.zip"));
  std::vector<std::wstring> names;
  for (int i = 0; i < z.zm.Count(); ++i) names.push_back(z.zm.DirEntry(i).FileName);
  EXPECT_EQ(names, (std::vector<std::wstring>{L"maps\\", L"maps\\Ostrauwen\\", L"maps\\Ostrauwen\\global.cfg",
                                              L"Stra\u00DFen\\", kUmlautEntry, L"readme.txt", L"big.txt"}));
  // Setting the same name reads the file again: a replaced archive shows its new entries.
  TempDir dir;
  const fs::path archive = dir.path / "data.dat";
  WriteZip(archive, {{"eins.txt", "1"}});
  z.zm.setZipFileName(Text(archive));
  ASSERT_EQ(z.zm.Count(), 1);
  // Rewritten in place: the open archive may be written to but not renamed over on Windows.
  WriteZip(dir.path / "neu.dat", {{"eins.txt", "1"}, {"zwei.txt", "2"}});
  WriteAll(archive, ReadAll(dir.path / "neu.dat"));
  z.zm.setZipFileName(Text(archive));
  EXPECT_EQ(z.zm.Count(), 2);
}

// The install run's sequence over the whole archive: every entry lands at target folder +
// stored path, folder entries return 0, no partial file is left, messages were pumped.
TEST_P(ZipFixture, ExtractsEveryEntryAsTheInstallRunDoes) {
  TempDir dir;
  const std::wstring target = dir.folder() + L"Spiele\\Drivona 2\\";
  Zip z;
  OpenForInstall(z, Fixture(GetParam()));
  ASSERT_EQ(z.zm.Count(), 7);
  for (int i = 0; i < z.zm.Count(); ++i)
    EXPECT_EQ(z.ExtractAsInstallRun(i, target), 0) << testing::PrintToString(z.messages);
  EXPECT_TRUE(z.messages.empty());
  EXPECT_EQ(ReadAll(Fs(target + L"maps\\Ostrauwen\\global.cfg")), kGlobalCfg);
  EXPECT_EQ(ReadAll(Fs(target + kUmlautEntry)), kUmlautText);
  EXPECT_EQ(fs::file_size(Fs(target + L"big.txt")), static_cast<uintmax_t>(kBigSize));
  EXPECT_EQ(ReadAll(Fs(target + L"big.txt")), SeqText(400000));
  EXPECT_GE(z.pumps, 2);  // the 2.7 MB entry pumps about once per MiB
  std::set<std::string> expected{"Spiele", "Spiele/Drivona 2", "Spiele/Drivona 2/maps", "Spiele/Drivona 2/maps/Ostrauwen",
                                 "Spiele/Drivona 2/maps/Ostrauwen/global.cfg", "Spiele/Drivona 2/Straßen",
                                 "Spiele/Drivona 2/Straßen/Größenübersicht.txt", "Spiele/Drivona 2/readme.txt",
                                 "Spiele/Drivona 2/big.txt"};
  EXPECT_EQ(Tree(dir.path), expected);
}

TEST_P(ZipFixture, WrongOrMissingPasswordFailsAndWritesNothing) {
  for (const std::wstring password : {L"falsch", L"HaLtEr@20150306", L""}) {
    TempDir dir;
    Zip z;
    OpenForInstall(z, Fixture(GetParam()));
    z.zm.setPassword(password);
    for (const std::wstring name : {L"maps\\Ostrauwen\\global.cfg", L"big.txt"}) {
      z.zm.FSpecArgs().clear();
      z.zm.FSpecArgs().push_back(name);
      z.zm.setExtrBaseDir(dir.folder());
      z.messages.clear();
      const int rc = z.zm.Extract();
      EXPECT_NE(rc, 0) << testing::PrintToString(password);
      EXPECT_EQ(z.messages.size(), 1u);
      if (password.empty()) {
        EXPECT_EQ(rc, zmPasswordMissing);
      }
    }
    EXPECT_TRUE(Tree(dir.path).empty()) << testing::PrintToString(password);
  }
}

TEST(ZipMaster, MissingBaseDirFailsAndWritesNothingUnlessForced) {
  TempDir dir;
  Zip z;
  OpenForInstall(z, Fixture("7zip-aes256.zip"));
  z.zm.FSpecArgs().push_back(L"readme.txt");
  z.zm.setExtrBaseDir(dir.folder() + L"fehlt\\");
  EXPECT_EQ(z.zm.Extract(), zmBaseDirMissing);
  EXPECT_EQ(z.messages.size(), 1u);
  EXPECT_TRUE(Tree(dir.path).empty());

  z.zm.setUnattended(true);  // the same failure, without a message
  EXPECT_EQ(z.zm.Extract(), zmBaseDirMissing);
  EXPECT_EQ(z.messages.size(), 1u);
  EXPECT_FALSE(z.zm.ErrMessage().empty());

  z.zm.setExtrOptions(z.zm.ExtrOptions() + ExtrForceDirs);
  EXPECT_EQ(z.zm.Extract(), 0);
  EXPECT_EQ(ReadAll(dir.path / "fehlt" / "readme.txt"), kReadme);
}

TEST(ZipMaster, DirNamesRecreatesStoredFoldersBelowBaseDir) {
  TempDir dir;
  Zip z;
  z.zm.setZipFileName(Fixture("infozip.zip"));
  z.zm.setPassword(kPassword);
  z.zm.setUseDirOnlyEntries(true);
  z.zm.setExtrOptions({ExtrDirNames});
  z.zm.setExtrBaseDir(dir.folder());
  z.zm.FSpecArgs().push_back(L"maps\\*");
  EXPECT_EQ(z.zm.Extract(), 0);
  EXPECT_EQ(Tree(dir.path), (std::set<std::string>{"maps", "maps/Ostrauwen", "maps/Ostrauwen/global.cfg"}));
}

// What happens to a file that is already there, by extraction flags.
TEST(ZipMaster, ExistingTargetFollowsTheFlags) {
  enum Existing { none, older, newer };
  struct Case {
    const char* what;
    ExtrOptionSet options;
    Existing existing;
    int rc;
    bool written;
  };
  const Case cases[] = {
      {"overwrite replaces without a question", {ExtrOverWrite}, older, 0, true},
      {"overwrite replaces a newer file too", {ExtrOverWrite}, newer, 0, true},
      {"without overwrite the file is kept", {}, older, zmTargetExists, false},
      {"without overwrite a missing file is written", {}, none, 0, true},
      {"freshen skips missing files", {ExtrFreshen}, none, 0, false},
      {"freshen replaces older files", {ExtrFreshen}, older, 0, true},
      {"freshen keeps newer files", {ExtrFreshen}, newer, 0, false},
      {"update writes missing files", {ExtrUpdate}, none, 0, true},
      {"update keeps newer files", {ExtrUpdate}, newer, 0, false},
      {"test writes nothing", {ExtrTest}, none, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const fs::path file = dir.path / "global.cfg";
    if (c.existing != none) {
      WriteAll(file, "alt");
      const auto now = fs::file_time_type::clock::now();
      fs::last_write_time(file, c.existing == older ? now - std::chrono::hours(24 * 400) : now + std::chrono::hours(24));
    }
    Zip z;
    z.zm.setZipFileName(Fixture("infozip.zip"));
    z.zm.setPassword(kPassword);
    z.zm.setExtrOptions(c.options);
    z.zm.setExtrBaseDir(dir.folder());
    z.zm.FSpecArgs().push_back(L"maps\\Ostrauwen\\global.cfg");
    EXPECT_EQ(z.zm.Extract(), c.rc);
    EXPECT_EQ(z.messages.size(), c.rc == 0 ? 0u : 1u);
    const std::string expected = c.written ? kGlobalCfg : (c.existing == none ? "" : "alt");
    EXPECT_EQ(fs::exists(file) ? ReadAll(file) : "", expected);
    EXPECT_FALSE(fs::exists(dir.path / "global.cfg.~setup-partial"));
  }
}

// The install run records each written file's size and time from what the component reports;
// both for a new file and for one that replaced an existing file, and nothing after a failure.
TEST(ZipMaster, ReportsTheWrittenFilesSizeAndTime) {
  for (const bool existing : {false, true}) {
    SCOPED_TRACE(existing ? "replaced" : "new");
    TempDir dir;
    if (existing) WriteAll(dir.path / "readme.txt", "the user's file");
    Zip z;
    OpenForInstall(z, Fixture("7zip-zipcrypto.zip"));
    z.zm.FSpecArgs().push_back(L"readme.txt");
    z.zm.setExtrBaseDir(dir.folder());
    ASSERT_EQ(z.zm.Extract(), 0);
    const TZipMaster::WrittenFile written = z.zm.LastWritten();
    EXPECT_TRUE(written.valid);
    EXPECT_EQ(written.size, kReadme.size());
    const int64_t modified = z.zm.DirEntry(0).FileName == L"readme.txt" ? z.zm.DirEntry(0).modified : 0;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::file_clock::to_sys(fs::last_write_time(dir.path / "readme.txt")).time_since_epoch());
    EXPECT_EQ(written.time, static_cast<uint64_t>(seconds.count()) * 10000000u + 116444736000000000u);
    if (modified > 0) EXPECT_EQ(seconds.count(), modified);
    z.zm.setPassword(L"falsch");
    EXPECT_NE(z.zm.Extract(), 0);
    EXPECT_FALSE(z.zm.LastWritten().valid);
  }
}

// A killed run that was replacing a file leaves its partial file; the next one replaces both.
// (Beside a new file it stays: the uninstaller removes it with the killed run's records.)
TEST(ZipMaster, StalePartialFileIsReplacedAndRemoved) {
  TempDir dir;
  WriteAll(dir.path / "readme.txt", "the user's file");
  WriteAll(dir.path / "readme.txt.~setup-partial", std::string(100000, 'x'));
  Zip z;
  OpenForInstall(z, Fixture("7zip-zipcrypto.zip"));
  z.zm.FSpecArgs().push_back(L"readme.txt");
  z.zm.setExtrBaseDir(dir.folder());
  EXPECT_EQ(z.zm.Extract(), 0);
  EXPECT_EQ(Tree(dir.path), std::set<std::string>{"readme.txt"});
  EXPECT_EQ(ReadAll(dir.path / "readme.txt"), kReadme);
}

TEST(ZipMaster, UnreadableArchiveIsReportedAndListsNothing) {
  TempDir dir;
  std::string good = ReadAll(Fs(Fixture("infozip.zip")));
  std::string noEnd = good;
  noEnd[noEnd.rfind("PK\x05\x06")] = 'X';  // end-of-directory record gone
  std::string badDirectory = good;
  const size_t cd = badDirectory.find("PK\x01\x02");
  for (size_t i = cd; i < cd + 40; ++i) badDirectory[i] = '\x77';
  const struct {
    const char* what;
    std::string data;
  } cases[] = {{"empty file", ""},
               {"text file", "Dies ist kein Archiv.\n"},
               {"first half only", good.substr(0, good.size() / 2)},
               {"no end record", noEnd},
               {"damaged central directory", badDirectory}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path file = dir.path / "kaputt.dat";
    WriteAll(file, c.data);
    Zip z;
    z.zm.setUseDirOnlyEntries(true);
    z.zm.setZipFileName(Fixture("infozip.zip"));
    ASSERT_EQ(z.zm.Count(), 7);
    z.zm.setZipFileName(Text(file));
    EXPECT_EQ(z.zm.Count(), 0);
    EXPECT_EQ(z.messages.size(), 1u);
    z.zm.FSpecArgs().push_back(L"*.*");
    z.zm.setExtrBaseDir(dir.folder());
    EXPECT_EQ(z.zm.Extract(), zmNoArchive);
  }
  Zip z;
  z.zm.setZipFileName(dir.folder() + L"gibtsnicht.dat");
  EXPECT_EQ(z.zm.Count(), 0);
  EXPECT_EQ(z.messages.size(), 1u);
  EXPECT_EQ(z.zm.ErrSystemCode(), 2u);  // the failed open's own error, as a Windows number
}

// The record of the third entry cannot be read (a damaged directory can do that).
inline int FailOnThirdEntry(zip* archive, uint64_t index, uint32_t flags, struct zip_stat* out) {
  if (index == 2) return -1;
  return zip_stat_index(archive, index, flags, out);
}

TEST(ZipMaster, AnEntryThatCannotBeListedFailsTheWholeListing) {
  Zip z;
  z.zm.setUseDirOnlyEntries(true);
  const ZipStatIndexFn real = ZipStatIndexCall;
  ZipStatIndexCall = FailOnThirdEntry;
  z.zm.setZipFileName(Fixture("infozip.zip"));
  ZipStatIndexCall = real;
  EXPECT_EQ(z.zm.Count(), 0);
  EXPECT_EQ(z.zm.ErrCode(), zmNoArchive);
  ASSERT_EQ(z.messages.size(), 1u);
  EXPECT_NE(z.messages[0].find(L"Eintrag 3"), std::wstring::npos);
  z.zm.FSpecArgs().push_back(L"*.*");
  EXPECT_EQ(z.zm.Extract(), zmNoArchive);
  // Read again without the fault: all seven entries.
  z.zm.setZipFileName(Fixture("infozip.zip"));
  EXPECT_EQ(z.zm.Count(), 7);
}

TEST(ZipMaster, DamagedEntryFailsAndLeavesNothing) {
  TempDir dir;
  std::string data = ReadAll(Fs(Fixture("infozip.zip")));
  // Spoil the middle of big.txt's compressed data (its local header name comes first).
  const size_t name = data.find("big.txt");
  const size_t extraLength = static_cast<unsigned char>(data[name - 2]) | static_cast<unsigned char>(data[name - 1]) << 8;
  const size_t start = name + 7 + extraLength;
  for (size_t i = start + 200000; i < start + 200016; ++i) data[i] = static_cast<char>(data[i] ^ 0x5A);
  const fs::path archive = dir.path / "data.dat";
  WriteAll(archive, data);
  fs::create_directory(dir.path / "out");
  Zip z;
  OpenForInstall(z, Text(archive));
  z.zm.FSpecArgs().push_back(L"big.txt");
  z.zm.setExtrBaseDir(Text(dir.path / "out"));
  EXPECT_EQ(z.zm.Extract(), zmDamagedEntry);
  EXPECT_EQ(z.messages.size(), 1u);
  EXPECT_TRUE(Tree(dir.path / "out").empty());
}

// 7-Zip's AES entries carry no CRC (AE-2): only the authentication code shows damage. These
// flipped bits leave a stream that inflates, to the wrong text.
TEST(ZipMaster, DamagedAesEntryWithoutCrcFailsOnItsAuthenticationCode) {
  TempDir dir;
  const std::string good = ReadAll(Fs(Fixture("7zip-aes256.zip")));
  const size_t name = good.find("big.txt");  // in its local header: the data follows
  for (const auto& [offset, bit] : {std::pair{2000, 0}, std::pair{10751, 3}, std::pair{19502, 0}}) {
    SCOPED_TRACE(offset);
    std::string data = good;
    data[name + static_cast<size_t>(offset)] ^= static_cast<char>(1 << bit);
    WriteAll(dir.path / "data.dat", data);
    TempDir out;
    Zip z;
    OpenForInstall(z, Text(dir.path / "data.dat"));
    EXPECT_EQ(z.ExtractAsInstallRun(z.IndexOf(L"big.txt"), out.folder()), zmDamagedEntry);
    EXPECT_EQ(z.zm.ErrMessage(), L"Der Eintrag \"big.txt\" ist beschädigt oder das Kennwort ist falsch: Prüfsumme falsch.");
    EXPECT_TRUE(Tree(out.path).empty());
    std::ostringstream stream;
    EXPECT_EQ(z.zm.ExtractEntryTo(z.IndexOf(L"big.txt"), stream), zmDamagedEntry);
  }
}

TEST(ZipMaster, HostileNamesAreRefusedAndNothingLeavesBaseDir) {
  const char* const hostile[] = {
      "../evil.txt", "a/../../evil.txt", "..\\evil.txt", "a\\..\\..\\evil.txt", "/abs.txt", "\\abs.txt",
      "//server/share/evil.txt", "C:/evil.txt", "C:evil.txt", "evil.txt:stream", "CON", "nul.txt", "sub/COM1.log",
      "LPT9", "aux .txt", "a/.. /evil.txt", "a/./b.txt", "dots../evil.txt", "a//b.txt", "ctl\x01.txt", "../",
  };
  for (const bool dirNames : {false, true}) {
    for (const char* name : hostile) {
      SCOPED_TRACE(name);
      TempDir dir;
      const fs::path archive = dir.path / "hostile.dat";
      WriteZip(archive, {{name, "boese"}});
      fs::create_directory(dir.path / "base");
      Zip z;
      OpenForInstall(z, Text(archive));
      ASSERT_EQ(z.zm.Count(), 1);
      EXPECT_FALSE(IsSafeEntryName(z.zm.DirEntry(0).FileName));
      if (dirNames) z.zm.setExtrOptions(z.zm.ExtrOptions() + ExtrDirNames + ExtrForceDirs);
      z.zm.FSpecArgs().push_back(L"*.*");
      z.zm.setExtrBaseDir(Text(dir.path / "base") + L"\\");
      EXPECT_EQ(z.zm.Extract(), zmUnsafeName);
      EXPECT_EQ(z.messages.size(), 1u);
      EXPECT_EQ(Tree(dir.path), (std::set<std::string>{"base", "hostile.dat"}));
    }
  }
}

TEST(ZipMaster, EntryNameSafety) {
  for (const std::wstring name : {L"maps\\Ostrauwen\\global.cfg", L"maps/Ostrauwen/", L"Stra\u00DFen\\", L"a.b.c",
                                  L"...hidden", L"CONFIG.SYS", L"COM10", L"NULL.txt", L"console", L"x[1].txt"})
    EXPECT_TRUE(IsSafeEntryName(name)) << testing::PrintToString(name);
  for (const std::wstring name : {L"", L"\\", L"..", L".", L"a\\..", L"a\\..\\", L"COM\u00B9.txt", L"Con.Txt.bak",
                                  L"conin$", L"a\\CONOUT$\\b", L"a:b", L"trail.", L"trail ", L"a\\\\b"})
    EXPECT_FALSE(IsSafeEntryName(name)) << testing::PrintToString(name);
}

// Best fit of code page 1252 for the characters of these cases.
inline std::wstring Cp1252BestFit(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c >= 0xFF01 && c <= 0xFF5E) c = static_cast<wchar_t>(c - 0xFF01 + 0x21);  // fullwidth forms
    else if (c == 0x0100) c = L'A';
    else if (c == 0x2215) c = L'/';  // division slash
    out += c;
  }
  return out;
}

TEST(ZipMaster, EntryNameSafetyInTheAnsiForm) {
  for (const std::wstring name : {L"\u0100mter.txt", L"a\uFF0Etxt", L"maps\\Ostrauwen\\global.cfg", L"\uFF21\uFF22"})
    EXPECT_TRUE(IsSafeEntryNameInAnsi(name, Cp1252BestFit)) << testing::PrintToString(name);
  for (const std::wstring name :
       {L"\uFF0E\uFF0E\uFF3C\uFF0E\uFF0E\uFF3Cevil\uFF3Cx.txt",  // ..\..\evil\x.txt
        L"\uFF23\uFF2F\uFF2E", L"maps\uFF0F..\uFF0Fx.txt", L"a\uFF3Cb.txt", L"a\u2215b.txt", L"C\uFF1A\uFF3Cx",
        L"x\uFF1Astream", L"trail\uFF0E", L"..\\x.txt"})
    EXPECT_FALSE(IsSafeEntryNameInAnsi(name, Cp1252BestFit)) << testing::PrintToString(name);
  // A conversion that fails gives nothing to check: refused.
  EXPECT_FALSE(IsSafeEntryNameInAnsi(L"readme.txt", [](const std::wstring&) { return std::wstring(); }));
}

TEST(ZipMaster, NamesDecodeFromUtf8OrCp437) {
  struct Case {
    std::string raw;
    bool flag;
    std::wstring name;
  };
  const Case cases[] = {
      {"Gr\xC3\xB6\xC3\x9F" "e.txt", false, L"Gr\u00F6\u00DFe.txt"},  // Info-ZIP on Unix: UTF-8, no flag
      {"Gr\xC3\xB6\xC3\x9F" "e.txt", true, L"Gr\u00F6\u00DFe.txt"},
      {"Gr\x94\xE1" "e.txt", false, L"Gr\u00F6\u00DFe.txt"},  // DOS code page
      {"\x8E\x99\x9A\x84\x81", false, L"\u00C4\u00D6\u00DC\u00E4\u00FC"},
      {"\xC0\xAF..", false, L"\u2514\u00BB.."},  // an overlong "/" is no separator
      {"ok\xFF", true, L"ok\uFFFD"},
      {"\xF0\x9F\x9A\x8C.txt", false, L"\U0001F68C.txt"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeEntryName(c.raw, c.flag), c.name) << testing::PrintToString(c.raw);
  EXPECT_EQ(WideToUtf8(L"Stra\u00DFe \U0001F68C"), "Stra\xC3\x9F" "e \xF0\x9F\x9A\x8C");
}

// The listing decides the encoding per entry: a flagged UTF-8 name, an unflagged UTF-8 name and
// a CP437 name all come out as the same text and extract under it.
TEST(ZipMaster, ListedNamesKeepUmlautsWhateverTheEncoding) {
  TempDir dir;
  const fs::path archive = dir.path / "namen.dat";
  WriteZip(archive, {{"Gr\x94\xE1" "e-437.txt", "a"}, {"Gr\xC3\xB6\xC3\x9F" "e-utf8.txt", "b"}});
  Zip z;
  z.zm.setZipFileName(Text(archive));
  ASSERT_EQ(z.zm.Count(), 2);
  EXPECT_EQ(z.zm.DirEntry(0).FileName, L"Gr\u00F6\u00DFe-437.txt");
  EXPECT_EQ(z.zm.DirEntry(1).FileName, L"Gr\u00F6\u00DFe-utf8.txt");
  z.zm.FSpecArgs().push_back(L"*.*");
  z.zm.setExtrBaseDir(dir.folder());
  EXPECT_EQ(z.zm.Extract(), 0);
  EXPECT_EQ(ReadAll(dir.path / u8"Größe-437.txt"), "a");
  EXPECT_EQ(ReadAll(dir.path / u8"Größe-utf8.txt"), "b");
}

TEST(ZipMaster, FSpecArgsMasks) {
  const struct {
    const wchar_t* mask;
    const wchar_t* name;
    bool match;
  } cases[] = {
      {L"*.*", L"noext", true},           {L"*.*", L"a\\b\\c.txt", true},   {L"*.txt", L"a\\b\\c.txt", true},
      {L"*.txt", L"c.txt.bak", false},    {L"?.txt", L"a.txt", true},       {L"?.txt", L"ab.txt", false},
      {L"MAPS\\*", L"maps\\x.cfg", true}, {L"maps/*", L"maps\\x.cfg", true}, {L"x[1].txt", L"x[1].txt", true},
      {L"x[1].txt", L"x1.txt", false},    {L"a*b*c", L"aXbYbZc", true},     {L"a*b*c", L"aXbYbZ", false},
      {L"readme.txt", L"README.TXT", true}, {L"", L"a", false},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchesFSpec(c.mask, c.name), c.match) << testing::PrintToString(std::wstring(c.mask));
}

TEST(ZipMaster, SelectsByExactNameOrMask) {
  TempDir dir;
  const fs::path archive = dir.path / "auswahl.dat";
  WriteZip(archive, {{"a.txt", "a"}, {"b.dat", "b"}, {"sub/", ""}, {"sub/c.txt", "c"}, {"x[1].txt", "x"}, {"x1.txt", "y"}});
  const struct {
    std::vector<std::wstring> specs;
    std::set<std::string> written;
    int rc;
  } cases[] = {
      {{L"*.*"}, {"a.txt", "b.dat", "c.txt", "x[1].txt", "x1.txt"}, 0},
      {{L"*.txt"}, {"a.txt", "c.txt", "x[1].txt", "x1.txt"}, 0},
      {{L"x[1].txt"}, {"x[1].txt"}, 0},
      {{L"sub/c.txt", L"A.TXT"}, {"a.txt", "c.txt"}, 0},
      {{L"sub\\"}, {}, 0},  // a folder entry: nothing to write, success
      {{L"fehlt.txt"}, {}, zmNoMatch},
      {{}, {}, zmNoMatch},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.specs));
    TempDir out;
    Zip z;
    z.zm.setUseDirOnlyEntries(true);
    z.zm.setZipFileName(Text(archive));
    z.zm.FSpecArgs() = c.specs;
    z.zm.setExtrBaseDir(out.folder());
    EXPECT_EQ(z.zm.Extract(), c.rc);
    EXPECT_EQ(Tree(out.path), c.written);
  }
}

TEST(ZipMaster, SettingsReadBackAsSet) {
  TZipMaster zm;
  EXPECT_EQ(zm.Version(), L"1.9.1.0019");
  zm.setVersion(L"1.9.2.0011");
  EXPECT_EQ(zm.Version(), L"1.9.1.0019");
  EXPECT_FALSE(zm.UseDirOnlyEntries());
  EXPECT_EQ(zm.ExtrOptions(), ExtrOptionSet{});
  zm.setExtrOptions(zm.ExtrOptions() + ExtrOverWrite);
  EXPECT_EQ(zm.ExtrOptions().bits(), 2);
  EXPECT_EQ((ExtrOptionSet{ExtrDirNames, ExtrForceDirs, ExtrNTFS}).bits(), 1 + 32 + 64);
  zm.setExtrBaseDir(L"D:\\Spiele\\Drivona 2\\maps\\Ostrauwen\\");
  EXPECT_EQ(zm.ExtrBaseDir(), L"D:\\Spiele\\Drivona 2\\maps\\Ostrauwen\\");
  EXPECT_EQ(zm.Count(), 0);
  EXPECT_NE(zm.Extract(), 0);  // no archive; no hook set, so nothing is shown
}

// Entries on both sides of the size from which ZipCrypto entries are decrypted on a worker
// thread, and a large one: the same bytes on disk and in a stream, with ZipCrypto and AES;
// writes, message pumps and reports happen on the calling thread only.
inline const std::vector<RawEntry>& LargeFiles() {
  static const std::vector<RawEntry> files = {{"unter.bin", LargeContent((1 << 20) - 1, 1)},
                                              {"grenze.bin", LargeContent(1 << 20, 2)},
                                              {"gross.bin", LargeContent((3 << 20) + 17, 3)}};
  return files;
}

TEST(ZipMaster, LargeEntriesExtractIdenticallyOnTheCallingThread) {
  const std::set<std::thread::id> caller{std::this_thread::get_id()};
  for (const zip_uint16_t method : {ZIP_EM_TRAD_PKWARE, ZIP_EM_AES_256}) {
    SCOPED_TRACE(method);
    TempDir dir;
    WriteEncryptedZip(dir.path / "data.dat", LargeFiles(), method);
    Zip z;
    OpenForInstall(z, Text(dir.path / "data.dat"));
    ASSERT_EQ(z.zm.Count(), 3);
    logThreads.clear();
    for (int i = 0; i < z.zm.Count(); ++i) EXPECT_EQ(z.ExtractAsInstallRun(i, dir.folder() + L"ziel\\"), zmOk);
    for (const RawEntry& f : LargeFiles()) EXPECT_TRUE(ReadAll(dir.path / "ziel" / f.name) == f.data) << f.name;
    EXPECT_EQ(Tree(dir.path / "ziel"), (std::set<std::string>{"unter.bin", "grenze.bin", "gross.bin"}));
    EXPECT_GE(z.pumps, 4);  // one per MiB written: 1 + 3

    LimitedSink sink;
    std::ostream out(&sink);
    EXPECT_EQ(z.zm.ExtractEntryTo(z.IndexOf(L"gross.bin"), out), zmOk);
    EXPECT_TRUE(sink.data == LargeFiles()[2].data);
    EXPECT_EQ(sink.writers, caller);

    z.zm.setExtrOptions(z.zm.ExtrOptions() + ExtrTest);  // read and verify only
    z.zm.FSpecArgs() = {L"*.*"};
    z.zm.setExtrBaseDir(dir.folder() + L"test\\");
    EXPECT_EQ(z.zm.Extract(), zmOk);
    EXPECT_FALSE(fs::exists(dir.path / "test"));
    EXPECT_TRUE(z.messages.empty()) << testing::PrintToString(z.messages);
    EXPECT_EQ(z.reportThreads, caller);
    EXPECT_TRUE(logThreads.empty());
  }
}

// libzip's own reading of an entry, opened and read to its end as the component did before it
// read large entries itself: the error it meets, or ZIP_ER_OK.
inline int LibzipReadError(const fs::path& archive, const char* name) {
  int code = 0;
  const std::u8string u8 = archive.u8string();
  zip_t* za = zip_open(reinterpret_cast<const char*>(u8.c_str()), ZIP_RDONLY, &code);
  if (za == nullptr) return code;
  zip_file_t* file = zip_fopen_encrypted(za, name, 0, WideToUtf8(kPassword).c_str());
  code = file == nullptr ? zip_error_code_zip(zip_get_error(za)) : ZIP_ER_OK;
  if (file != nullptr) {
    std::vector<char> block(1 << 16);
    zip_int64_t n = 0;
    while ((n = zip_fread(file, block.data(), block.size())) > 0) {
    }
    if (n < 0) code = zip_error_code_zip(zip_file_get_error(file));
    zip_fclose(file);
  }
  zip_discard(za);
  return code;
}

// Damage in a large ZipCrypto entry: the code and the message that libzip's direct reading
// gives, on disk and in a stream, reported on the calling thread; no file is left. The
// encryption header is random, so where a flipped byte leads (a stream that cannot be inflated,
// or one that inflates to the wrong CRC) differs from one archive to the next: libzip's reading
// of the same archive says which to expect.
TEST(ZipMaster, DamagedLargeEntryFailsWithTheUsualReportAndLeavesNothing) {
  TempDir dir;
  WriteEncryptedZip(dir.path / "gut.dat", {LargeFiles()[2]}, ZIP_EM_TRAD_PKWARE);
  const std::string good = ReadAll(dir.path / "gut.dat");
  const EntryLayout e = LayoutOf(good, "gross.bin");
  ASSERT_GT(e.storedSize, 1000000u);
  const std::wstring damaged = L"Der Eintrag \"gross.bin\" ist beschädigt oder das Kennwort ist falsch: ";
  const std::wstring asLibzipReadsIt;  // the message follows libzip's error for the same bytes
  const struct Case {
    const char* what;
    std::function<void(std::string&)> spoil;
    std::wstring message;
  } cases[] = {
      {"a byte flipped in the middle of the data", [&](std::string& b) { b[e.data + e.storedSize / 2] ^= 0x55; },
       asLibzipReadsIt},
      {"a byte flipped near the end of the data", [&](std::string& b) { b[e.data + e.storedSize - 3] ^= 0x55; },
       asLibzipReadsIt},
      {"a wrong CRC in both headers",
       [&](std::string& b) {
         SetLe32(b, e.local + 14, Le(b, e.local + 14, 4) ^ 1);
         SetLe32(b, e.central + 16, Le(b, e.central + 16, 4) ^ 1);
       },
       damaged + L"Prüfsumme falsch."},
      {"a wrong length in both headers",
       [&](std::string& b) {
         SetLe32(b, e.local + 22, Le(b, e.local + 22, 4) + 1);
         SetLe32(b, e.central + 24, Le(b, e.central + 24, 4) + 1);
       },
       L"Der Eintrag \"gross.bin\" ist beschädigt: falsche Länge."},
      {"the stored data cut to half in both headers",
       [&](std::string& b) {
         SetLe32(b, e.local + 18, static_cast<uint32_t>(e.storedSize / 2));
         SetLe32(b, e.central + 20, static_cast<uint32_t>(e.storedSize / 2));
       },
       damaged + L"Prüfsumme falsch."},
  };
  const std::set<std::thread::id> caller{std::this_thread::get_id()};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = good;
    c.spoil(bytes);
    const fs::path archive = dir.path / "kaputt.dat";
    WriteAll(archive, bytes);
    std::wstring message = c.message;
    if (message.empty()) {
      const int libzip = LibzipReadError(archive, "gross.bin");
      ASSERT_TRUE(libzip == ZIP_ER_ZLIB || libzip == ZIP_ER_CRC) << libzip;
      message = damaged + (libzip == ZIP_ER_ZLIB ? L"Daten lassen sich nicht entpacken." : L"Prüfsumme falsch.");
    }
    TempDir out;
    Zip z;
    OpenForInstall(z, Text(archive));
    ASSERT_EQ(z.zm.Count(), 1);
    logThreads.clear();
    EXPECT_EQ(z.ExtractAsInstallRun(0, out.folder()), zmDamagedEntry);
    EXPECT_EQ(z.zm.ErrMessage(), message);
    EXPECT_TRUE(Tree(out.path).empty());
    LimitedSink sink;
    std::ostream stream(&sink);
    EXPECT_EQ(z.zm.ExtractEntryTo(0, stream), zmDamagedEntry);
    EXPECT_EQ(z.zm.ErrMessage(), message);
    EXPECT_EQ(z.zm.ErrSystemCode(), 0u);
    EXPECT_EQ(z.messages.size(), 2u);
    EXPECT_EQ(z.reportThreads, caller);
    EXPECT_EQ(logThreads, caller);
  }
}

// A writer that fails in the middle of a large entry (a full disk): the reading stops with the
// write failure, and the component reads the entry again afterwards. A writer that throws
// leaves the call with its exception.
TEST(ZipMaster, WriteFailureInALargeEntryStopsTheReading) {
  TempDir dir;
  WriteEncryptedZip(dir.path / "data.dat", LargeFiles(), ZIP_EM_TRAD_PKWARE);
  const std::string& content = LargeFiles()[2].data;
  Zip z;
  OpenForInstall(z, Text(dir.path / "data.dat"));
  const int index = z.IndexOf(L"gross.bin");
  for (const size_t limit : {size_t{0}, size_t{300} << 10, content.size() - 5}) {
    SCOPED_TRACE(limit);
    LimitedSink sink(limit);
    std::ostream out(&sink);
    EXPECT_EQ(z.zm.ExtractEntryTo(index, out), zmWriteFailed);
    EXPECT_EQ(z.zm.ErrMessage(), L"Die Datei \"gross.bin\" kann nicht geschrieben werden.");
    EXPECT_LE(sink.data.size(), limit);
    EXPECT_TRUE(content.compare(0, sink.data.size(), sink.data) == 0);
  }
  LimitedSink throwing(1 << 20);
  std::ostream out(&throwing);
  out.exceptions(std::ios::badbit);
  EXPECT_THROW(z.zm.ExtractEntryTo(index, out), std::ios_base::failure);

  LimitedSink sink;
  std::ostream again(&sink);
  EXPECT_EQ(z.zm.ExtractEntryTo(index, again), zmOk);
  EXPECT_TRUE(sink.data == content);
}

}  // namespace zmtest
