// The store client's text files and the checks on the paths taken from them.
#include <gtest/gtest.h>

#include "support/KeyValuesText.h"
#include "support/SteamLibrary.h"

namespace {

// Current form: numbered sections with "path", the client's own folder as "0", app lists.
const char* const kLibraryListCurrent = R"(
"libraryfolders"
{
	"0"
	{
		"path"		"C:\\Program Files (x86)\\Steam"
		"label"		""
		"contentid"		"4190245364918472930"
		"totalsize"		"0"
		"update_clean_bytes_tally"		"2198765"
		"time_last_update_corruption"		"0"
		"apps"
		{
			"228980"		"469654332"
		}
	}
	"2"
	{
		"path"		"E:\\Spiele\\Bibliothek \"Zwei\""
		"label"		"Zweite"
		"apps"
		{
			"555010"		"8455716352"
		}
	}
	"1"
	{
		"label"		"no path here"
	}
}
)";

// Older form: numbered values next to other keys, mixed case, comments, conditions.
const char* const kLibraryListOlder =
    "\xEF\xBB\xBF\"LibraryFolders\"\r\n{\r\n"
    "\t// written by hand\r\n"
    "\t\"TimeNextStatsReport\"\t\t\"1618413562\"\r\n"
    "\t\"ContentStatsID\"\t\t\"-7413268512096478214\"\r\n"
    "\t\"10\"\t\t\"F:\\\\Zehn\"\r\n"
    "\t\"2\"\t\t\"D:/SteamLibrary\" [$WIN32]\r\n"
    "\t\"1\"\t\t\"D:\\Alt\"\r\n"
    "}\r\n";

const char* const kManifest = R"("AppState"
{
	"appid"		"555010"
	"Universe"		"1"
	"name"		"Drivona 2"
	"StateFlags"		"4"
	"installdir"		"Drivona 2"
	"UserConfig"
	{
		"language"		"german"
	}
}
)";

TEST(KeyValuesText, ReadsBothLibraryListForms) {
  auto current = ParseKeyValues(kLibraryListCurrent);
  ASSERT_TRUE(current);
  EXPECT_EQ(LibraryFoldersFromList(*current),
            (std::vector<std::string>{"C:\\Program Files (x86)\\Steam", "E:\\Spiele\\Bibliothek \"Zwei\""}));

  std::string error;
  auto older = ParseKeyValues(kLibraryListOlder, &error);
  ASSERT_TRUE(older) << error;
  // Numeric key order, not file order; an unknown escape keeps its backslash.
  EXPECT_EQ(LibraryFoldersFromList(*older), (std::vector<std::string>{"D:\\Alt", "D:/SteamLibrary", "F:\\Zehn"}));
}

TEST(KeyValuesText, ReadsManifestInstallDir) {
  auto manifest = ParseKeyValues(kManifest);
  ASSERT_TRUE(manifest);
  EXPECT_EQ(InstallDirFromManifest(*manifest), "Drivona 2");
  ASSERT_TRUE(manifest->Find("appstate"));
  EXPECT_EQ(manifest->Find("appstate")->Find("UserConfig")->ValueOf("Language"), "german");

  // Keys in any order and unquoted tokens; another app's manifest gives nothing.
  auto reordered = ParseKeyValues("AppState { installdir \"Drivona 2\" appid 555010 }");
  ASSERT_TRUE(reordered);
  EXPECT_EQ(InstallDirFromManifest(*reordered), "Drivona 2");
  auto other = ParseKeyValues("\"AppState\" { \"appid\" \"228980\" \"installdir\" \"Other\" }");
  ASSERT_TRUE(other);
  EXPECT_EQ(InstallDirFromManifest(*other), std::nullopt);
}

TEST(KeyValuesText, RefusesMalformedText) {
  for (const std::string& text : {
           std::string("\"a\" { \"b\" \"c\""),      // section not closed
           std::string("\"a\" \"b\" }"),             // close without open
           std::string("\"a\" \"unterminated"),      // string without end
           std::string("\"a\""),                     // key at the end
           std::string("\"a\" { \"b\" }"),           // key without value before '}'
           std::string("{ \"a\" \"b\" }"),           // section without key
           std::string("\"a\" [$WIN32"),             // condition without end
           [] {  // nested too deeply
             std::string s;
             for (int i = 0; i < 40; ++i) s += "\"k\" { ";
             return s;
           }(),
       }) {
    std::string error;
    EXPECT_FALSE(ParseKeyValues(text, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  EXPECT_TRUE(ParseKeyValues(""));
  EXPECT_TRUE(ParseKeyValues("// only a comment"));
}

TEST(SteamLibraryPaths, NormalizesAcceptableLibraries) {
  const struct {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"c:/program files (x86)/steam", L"C:\\program files (x86)\\steam"},
      {L"D:\\SteamLibrary\\", L"D:\\SteamLibrary"},
      {L"D:\\\\Games\\\\Lib", L"D:\\Games\\Lib"},
      {L"E:\\", L"E:"},
      {L"F:\\Spiele\\Bücher", L"F:\\Spiele\\Bücher"},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeLibraryPath(c.in), std::wstring(c.out)) << c.in;

  for (const wchar_t* refused : {L"", L"Steam", L"\\Steam", L"\\\\server\\share\\Lib", L"\\\\?\\C:\\Lib", L"C:",
                                 L"C:Lib", L"1:\\Lib", L"C:\\Lib\\..\\Windows", L"C:\\Lib\\.\\x", L"C:\\Lib\\.. ",
                                 L"C:\\Lib.", L"C:\\Lib:stream", L"C:\\Li\nb", L"C:\\Lib\t", L"C:\\a\u0085b",
                                 L"C:\\L*b", L"C:\\L?b", L"C:\\L\"b", L"C:\\L|b", L"C:\\L<b"})
    EXPECT_EQ(NormalizeLibraryPath(refused), std::nullopt) << refused;
}

TEST(SteamLibraryPaths, AcceptsOnlyPlainInstallDirs) {
  for (const wchar_t* plain : {L"Drivona 2", L"Drivona2", L"Spiel (64)", L"Fahrgäste", L".hidden"})
    EXPECT_TRUE(IsPlainFolderName(plain)) << plain;
  for (const wchar_t* refused : {L"", L".", L"..", L".. ", L"...", L"..\\..\\Windows", L"../x", L"a\\b", L"C:",
                                 L"C:\\Windows", L"Drivona:evil", L"name.", L"name ", L"a\tb", L"a\x1b", L"a*"})
    EXPECT_FALSE(IsPlainFolderName(refused)) << refused;
  EXPECT_FALSE(IsPlainFolderName(std::wstring(256, L'a')));
}

TEST(SteamLibraryPaths, SearchOrderAndGameFolder) {
  std::vector<std::string> rejected;
  const auto libraries = LibrariesToSearch(
      L"c:/program files (x86)/steam",
      {"C:\\Program Files (x86)\\Steam", "\\\\server\\Lib", "E:\\Lib", "e:/lib/", "D:\\Zweite", "\xff\xfe"}, &rejected);
  EXPECT_EQ(libraries, (std::vector<std::wstring>{L"C:\\Program Files (x86)\\Steam", L"E:\\Lib", L"D:\\Zweite"}));
  EXPECT_EQ(rejected, (std::vector<std::string>{"\\\\server\\Lib", "\xff\xfe"}));
  EXPECT_EQ(LibrariesToSearch(L"", {"D:\\Lib"}), (std::vector<std::wstring>{L"D:\\Lib"}));

  EXPECT_EQ(GameFolderInLibrary(L"E:\\Lib", L"Drivona 2"), L"E:\\Lib\\steamapps\\common\\Drivona 2\\");
  EXPECT_EQ(GameFolderInLibrary(L"E:", L"Drivona 2"), L"E:\\steamapps\\common\\Drivona 2\\");
}

}  // namespace
