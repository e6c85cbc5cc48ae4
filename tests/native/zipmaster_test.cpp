// The archive component on the native file system: the shared cases, and names that only a
// Unix file system can hold.
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

}  // namespace zmtest
