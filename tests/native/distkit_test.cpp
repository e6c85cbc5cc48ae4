// The distribution kit end to end: what it builds is read identically by the setup's archive
// component, 7-Zip and Info-ZIP; what it cannot ship safely it refuses without leaving output.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>

#include <sys/wait.h>

#include "install/InstallRules.h"
#include "install/ZipMaster.h"
#include "support/Language.h"
#include "support/Utf8.h"
#include "tools/kit/KitContent.h"

namespace {

namespace fs = std::filesystem;
const std::string kPassword = "HaLtEr@20150307";

fs::path U8(const char* utf8) { return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8))); }

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string Quote(const fs::path& p) { return "'" + p.string() + "'"; }

int Shell(const std::string& command) {
  const int status = std::system(("(" + command + ") >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Relative path -> bytes (folders map to "/"), of everything below root.
std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string name = e.path().lexically_relative(root).generic_string();
    tree[name] = e.is_directory() ? "/" : ReadAll(e.path());
  }
  return tree;
}

class DistKitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("distkit-test-" + std::to_string(std::random_device()()));
    fs::create_directories(root);
    content = root / "content";
    dist = root / "dist";
    // Folders in and out of order, umlauts, an empty folder and an empty file, a file large
    // enough for several deflate blocks.
    WriteAll(content / "maps" / "Ostrauwen" / "global.cfg", "[Global]\r\nName=Ostrauwen\r\nVersion=1.2\r\n");
    std::mt19937 random(7);
    std::string large(3 * 1024 * 1024 + 17, '\0');
    for (char& c : large) c = static_cast<char>(random() % 16);
    WriteAll(content / "maps" / "Ostrauwen" / "terrain.bin", large);
    WriteAll(content / U8("Fahrpläne") / "Linie_1.ttp", "Linie 1: Hauptbahnhof - \xC3\x96lhafen\r\n");
    WriteAll(content / "maps-alt" / "x.txt", "x");
    WriteAll(content / U8("Straße.txt"), "");
    fs::create_directories(content / "leer");
    WriteAll(root / "Setup.exe", "MZ setup stand-in");
    WriteAll(root / "uninstall.exe", "MZ uninstaller stand-in");
    WriteAll(root / "texts.txt", "\xEF\xBB\xBF" "10001=Welcome\r\n5=&Finish\r\n");
    WriteAll(root / "agreement.rtf", "{\\rtf1 Lizenz}");
    WriteAll(root / "notes.txt", "Hinweise");
  }
  void TearDown() override { fs::remove_all(root); }

  int Kit(const std::string& extra, const fs::path& out) {
    return Shell(std::string(DISTKIT_EXE) + " --setup " + Quote(root / "Setup.exe") + " --uninstaller " +
               Quote(root / "uninstall.exe") + " " + extra + " " + Quote(content) + " " + Quote(out));
  }
  // Nothing but the content, the inputs and (when built) the distribution.
  bool NoLeftovers() const {
    for (const auto& e : fs::directory_iterator(root))
      if (e.path().filename().string().rfind(".dist", 0) == 0) return false;
    return true;
  }
  fs::path Archive() const { return dist / "Ostrauwen_1-2.dat"; }

  fs::path root, content, dist;
};

TEST_F(DistKitTest, ZipCryptoArchiveReadsTheSameEverywhere) {
  ASSERT_EQ(Kit("--texts " + Quote(root / "texts.txt") + " --agreement " + Quote(root / "agreement.rtf") +
                    " --notes " + Quote(root / "notes.txt"),
                dist),
            0);
  EXPECT_TRUE(NoLeftovers());
  EXPECT_EQ(ReadAll(dist / "Lizenzvertrag.rtf"), "{\\rtf1 Lizenz}");
  EXPECT_EQ(ReadAll(dist / "Readme.txt"), "Hinweise");
  for (const char* program : {"Setup.exe", "uninstall.exe"}) {
    const std::string bytes = ReadAll(dist / program);
    const auto lines = ParseLanguageBlock(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), true, false);
    ASSERT_TRUE(lines) << program;
    EXPECT_EQ(*lines, (std::vector<std::wstring>{L"10001=Welcome", L"5=&Finish"})) << program;
  }

  // The setup's component: UTF-8 name order, each folder before its content.
  TZipMaster zip;
  zip.setZipFileName(Utf8ToWideLenient(Archive().string()));
  zip.setUseDirOnlyEntries(true);
  std::vector<std::wstring> names;
  for (int i = 0; i < zip.Count(); ++i) names.push_back(zip.DirEntry(i).FileName);
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Fahrpläne\\", L"Fahrpläne\\Linie_1.ttp", L"Straße.txt", L"leer\\",
                                              L"maps-alt\\", L"maps-alt\\x.txt", L"maps\\", L"maps\\Ostrauwen\\",
                                              L"maps\\Ostrauwen\\global.cfg", L"maps\\Ostrauwen\\terrain.bin"}));
  zip.setPassword(kArchivePassword);
  zip.setExtrOptions({ExtrDirNames, ExtrOverWrite});
  zip.setExtrBaseDir(Utf8ToWideLenient((root / "component").string()));
  zip.FSpecArgs().push_back(L"*.*");
  fs::create_directories(root / "component");
  ASSERT_EQ(zip.Extract(), 0) << WideToUtf8(zip.ErrMessage());

  ASSERT_EQ(Shell("cd " + Quote(root) + " && mkdir unzip && cd unzip && unzip -q -P " + kPassword + " " + Quote(Archive())), 0);
  ASSERT_EQ(Shell("7z x -p" + kPassword + " -o" + Quote(root / "7z") + " " + Quote(Archive())), 0);
  const auto expected = Tree(content);
  EXPECT_EQ(Tree(root / "component"), expected);
  EXPECT_EQ(Tree(root / "unzip"), expected);
  EXPECT_EQ(Tree(root / "7z"), expected);

  // Non-ASCII names carry the UTF-8 flag; file data is ZipCrypto, folders are not encrypted.
  ASSERT_EQ(Shell("7z l -slt -p" + kPassword + " " + Quote(Archive()) + " > " + Quote(root / "list.txt")), 0);
  const std::string list = ReadAll(root / "list.txt");
  EXPECT_NE(list.find("Path = Fahrpläne/Linie_1.ttp\nFolder = -"), std::string::npos);
  EXPECT_NE(list.find("Method = ZipCrypto Deflate"), std::string::npos);
  EXPECT_EQ(list.find("AES"), std::string::npos);
  const size_t umlaut = list.find("Path = Fahrpläne/Linie_1.ttp");
  EXPECT_NE(list.find("Characteristics = Encrypt Descriptor UTF8", umlaut), std::string::npos);
}

TEST_F(DistKitTest, Aes256OnRequest) {
  ASSERT_EQ(Kit("--aes256", dist), 0);
  ASSERT_EQ(Shell("7z x -p" + kPassword + " -o" + Quote(root / "7z") + " " + Quote(Archive())), 0);
  EXPECT_EQ(Tree(root / "7z"), Tree(content));
  ASSERT_EQ(Shell("7z l -slt -p" + kPassword + " " + Quote(Archive()) + " > " + Quote(root / "list.txt")), 0);
  EXPECT_NE(ReadAll(root / "list.txt").find("Method = AES-256 Deflate"), std::string::npos);
  // Info-ZIP cannot read AES: it must not claim success.
  EXPECT_NE(Shell("cd " + Quote(root) + " && mkdir unzip && cd unzip && unzip -q -P " + kPassword + " " + Quote(Archive())), 0);
}

TEST_F(DistKitTest, RefusesUnsafeContentWithoutOutput) {
  const struct {
    const char* what;
    std::function<void()> make, undo;
  } cases[] = {
      {"link", [&] { fs::create_symlink("/etc", content / "maps" / "etc"); }, [&] { fs::remove(content / "maps" / "etc"); }},
      {"fullwidth reverse solidus", [&] { WriteAll(content / U8("a\xEF\xBC\xBC" "b.txt"), ""); },
       [&] { fs::remove(content / U8("a\xEF\xBC\xBC" "b.txt")); }},
      {"device name", [&] { WriteAll(content / "maps" / "CON.txt", ""); }, [&] { fs::remove(content / "maps" / "CON.txt"); }},
      {"backslash in a name", [&] { WriteAll(content / "a\\..\\b", ""); }, [&] { fs::remove(content / "a\\..\\b"); }},
      {"same file for Windows", [&] { WriteAll(content / "Maps" / "x", ""); }, [&] { fs::remove_all(content / "Maps"); }},
      {"not UTF-8", [&] { WriteAll(content / "\xFF.txt", ""); }, [&] { fs::remove(content / "\xFF.txt"); }},
      {"trailing dot", [&] { WriteAll(content / "name.", ""); }, [&] { fs::remove(content / "name."); }},
  };
  for (const auto& c : cases) {
    c.make();
    EXPECT_EQ(Kit("", dist), 1) << c.what;
    EXPECT_FALSE(fs::exists(dist)) << c.what;
    EXPECT_TRUE(NoLeftovers()) << c.what;
    c.undo();
  }
  // The distribution folder inside the content folder would pack itself.
  EXPECT_EQ(Kit("", content / "dist"), 1);
  EXPECT_FALSE(fs::exists(content / "dist"));
}

TEST_F(DistKitTest, ExistingDistributionReplacedOnlyOnRequestAndSuccess) {
  WriteAll(dist / "Setup.exe", "old");
  WriteAll(dist / "Readme.txt", "old notes");
  EXPECT_EQ(Kit("", dist), 1);
  EXPECT_EQ(Tree(dist).size(), 2u);
  // A failed build keeps the old distribution.
  WriteAll(content / "NUL", "");
  EXPECT_EQ(Kit("--replace", dist), 1);
  EXPECT_EQ(ReadAll(dist / "Setup.exe"), "old");
  fs::remove(content / "NUL");
  EXPECT_EQ(Kit("--replace", dist), 0);
  EXPECT_EQ(ReadAll(dist / "Setup.exe"), "MZ setup stand-in");
  EXPECT_FALSE(fs::exists(dist / "Readme.txt"));
  EXPECT_TRUE(fs::exists(Archive()));
  EXPECT_TRUE(NoLeftovers());
  // A folder that holds anything else is never replaced.
  WriteAll(dist / "Spielstand.sav", "keep");
  EXPECT_EQ(Kit("--replace", dist), 1);
  EXPECT_EQ(ReadAll(dist / "Spielstand.sav"), "keep");
  EXPECT_TRUE(fs::exists(Archive()));
}

TEST(DistKitNames, RefusesWhatTheSetupCannotInstall) {
  for (const wchar_t* good : {L"maps/Ostrauwen/global.cfg", L"maps/", L"Fahrpläne/Linie 1.ttp", L"a.b.c", L"Ðå/",
                              L"\u8868.txt"})
    EXPECT_EQ(RefusalOfName(good), std::nullopt) << WideToUtf8(good);
  for (const wchar_t* bad : {
           L"a\\b", L"a:b", L"a*b", L"a?b", L"a|b", L"a\"b", L"a<b",                  // Windows refuses
           L"../x", L"a/./b", L"a//b", L"/a", L"C:x", L"con", L"LPT1.txt", L"a. /b",     // the setup refuses
           L"a\uFF0Fb", L"a\u2215b", L"a\u2044b", L"a\uFF3Cb", L"a\u2216b", L"\u00A5.txt",        // best fit: separator
           L"\u00A5..\u00A5x", L"x\uFF0E\uFF0E", L"x\u3000", L"C\uFF1Ax", L"a\u2236b",  // dots, space, colon
           L"\uFF23\uFF2F\uFF2E", L"maps/\uFF2E\uFF35\uFF2C.txt",                       // device names
       })
    EXPECT_NE(RefusalOfName(bad), std::nullopt) << WideToUtf8(bad);
  EXPECT_NE(RefusalOfName(std::wstring(256, L'a')), std::nullopt);
  EXPECT_EQ(FoldedName(L"Maps/Ölhafen/"), FoldedName(L"maps/ölhafen"));
  EXPECT_EQ(FoldedName(L"ŁÓDŹ Ÿ"), FoldedName(L"łódź ÿ"));
  EXPECT_NE(FoldedName(L"ss"), FoldedName(L"ß"));
}

}  // namespace
