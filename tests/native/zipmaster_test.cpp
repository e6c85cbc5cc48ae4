// The archive component on the native file system: the shared cases, and names that only a
// Unix file system can hold.
#include <sstream>

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

}  // namespace zmtest
