// The archive component on the native file system: the shared cases, and names that only a
// Unix file system can hold.
#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

#include "tests/native/zipmaster_cases.h"

namespace zmtest {

// "?" and "*" in a stored name: given exactly, the name selects that one entry and no other.
TEST(ZipMasterNative, WildcardCharactersInAnExactNameMatchOnlyThatEntry) {
  TempDir dir;
  const fs::path archive = dir.path / "wild.dat";
  WriteZip(archive, {{"what?.txt", "q"}, {"whatX.txt", "x"}, {"star*.txt", "s"}, {"starry.txt", "r"}});
  for (const auto& [spec, file] : {std::pair{L"what?.txt", "what?.txt"}, std::pair{L"star*.txt", "star*.txt"}}) {
    TempDir out;
    Zip z;
    z.zm.setZipFileName(Text(archive));
    z.zm.FSpecArgs().push_back(spec);
    z.zm.setExtrBaseDir(out.folder());
    EXPECT_EQ(z.zm.Extract(), 0);
    EXPECT_EQ(Tree(out.path), std::set<std::string>{file});
  }
}

// Reading an entry into memory: the data as stored, verified, for the real tools' encryptions.
TEST_P(ZipFixture, ExtractEntryToReadsTheEntryIntoTheStreamOnly) {
  Zip z;
  OpenForInstall(z, Fixture(GetParam()));
  const std::pair<std::wstring, std::string> entries[] = {{L"maps\\Ostrauwen\\global.cfg", kGlobalCfg},
                                                          {kUmlautEntry, kUmlautText}};
  for (const auto& [name, text] : entries) {
    std::ostringstream out;
    EXPECT_EQ(z.zm.ExtractEntryTo(z.IndexOf(name), out), zmOk);
    EXPECT_EQ(out.str(), text);
  }
  std::ostringstream none;
  EXPECT_EQ(z.zm.ExtractEntryTo(z.zm.Count(), none), zmNoMatch);
  z.zm.setPassword(L"falsch");
  EXPECT_NE(z.zm.ExtractEntryTo(z.IndexOf(L"readme.txt"), none), zmOk);
  EXPECT_EQ(z.messages.size(), 2u);
}

TEST(ZipMasterNative, ExtractEntryToFailsOnADamagedEntry) {
  TempDir dir;
  std::string data = ReadAll(Fs(Fixture("infozip.zip")));
  const size_t name = data.find("big.txt");  // its local header name: the data follows soon
  for (size_t i = name + 100000; i < name + 100016; ++i) data[i] = static_cast<char>(data[i] ^ 0x5A);
  WriteAll(dir.path / "data.dat", data);
  Zip z;
  OpenForInstall(z, Text(dir.path / "data.dat"));
  std::ostringstream out;
  EXPECT_EQ(z.zm.ExtractEntryTo(z.IndexOf(L"big.txt"), out), zmDamagedEntry);
  EXPECT_EQ(z.messages.size(), 1u);
  EXPECT_TRUE(Tree(dir.path) == std::set<std::string>{"data.dat"});
}

// The threads of this process, from /proc.
size_t ThreadCount() {
  return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator()));
}

// A thread that has been joined may still be listed for a moment while the kernel finishes its
// exit; give it that moment.
size_t ThreadCountSettled(size_t expected) {
  for (int i = 0; i < 200 && ThreadCount() != expected; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return ThreadCount();
}

// Notes the most threads there were while the entry was being written.
class ThreadWatchingSink : public LimitedSink {
 public:
  using LimitedSink::LimitedSink;
  size_t peak = 0;

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    peak = std::max(peak, ThreadCount());
    return LimitedSink::xsputn(s, n);
  }
};

// A large ZipCrypto entry is read with one worker thread, a small one without; the worker is
// gone when the call returns, whether it succeeded, met damage, failed to write or threw.
TEST(ZipMasterNative, LargeZipCryptoEntriesUseOneWorkerThatEndsWithTheCall) {
  TempDir dir;
  WriteEncryptedZip(dir.path / "data.dat", LargeFiles(), ZIP_EM_TRAD_PKWARE);
  std::string bytes = ReadAll(dir.path / "data.dat");
  const EntryLayout e = LayoutOf(bytes, "gross.bin");
  bytes[e.data + e.storedSize / 2] ^= 0x55;
  WriteAll(dir.path / "kaputt.dat", bytes);
  const size_t before = ThreadCount();
  const struct {
    const char* what;
    const char* archive;
    const wchar_t* entry;
    size_t limit;
    int code;
    size_t peak;
  } cases[] = {
      {"small entry", "data.dat", L"unter.bin", std::string::npos, zmOk, before},
      {"large entry", "data.dat", L"gross.bin", std::string::npos, zmOk, before + 1},
      {"damaged large entry", "kaputt.dat", L"gross.bin", std::string::npos, zmDamagedEntry, before + 1},
      {"write failure", "data.dat", L"gross.bin", size_t{300} << 10, zmWriteFailed, before + 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Zip z;
    OpenForInstall(z, Text(dir.path / c.archive));
    ThreadWatchingSink sink(c.limit);
    std::ostream out(&sink);
    EXPECT_EQ(z.zm.ExtractEntryTo(z.IndexOf(c.entry), out), c.code);
    EXPECT_EQ(sink.peak, c.peak);
    EXPECT_EQ(ThreadCountSettled(before), before);
  }
  Zip z;
  OpenForInstall(z, Text(dir.path / "data.dat"));
  ThreadWatchingSink sink(size_t{300} << 10);
  std::ostream out(&sink);
  out.exceptions(std::ios::badbit);
  EXPECT_THROW(z.zm.ExtractEntryTo(z.IndexOf(L"gross.bin"), out), std::ios_base::failure);
  EXPECT_EQ(sink.peak, before + 1);
  EXPECT_EQ(ThreadCountSettled(before), before);
}

}  // namespace zmtest
