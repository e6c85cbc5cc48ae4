// The target proposal when the host's uninstall entry is missing: the host found through the
// store client's libraries, and manifests that must not be followed.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "support/DebugLog.h"
#include "support/TargetProposal.h"
#include "tests/LogCapture.h"

namespace {

namespace fs = std::filesystem;
const std::wstring kSub = L"Quellmark Media\\Drivona2 Ostrauwen\\";
const wchar_t* const kHostEntry = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Steam App 555010";

void WriteText(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

std::string Escaped(const std::wstring& path) {
  std::string out;
  for (wchar_t c : path) {
    if (c == L'\\') out += '\\';
    out += static_cast<char>(c);  // the test folders are ASCII
  }
  return out;
}

std::string Manifest(const std::string& installDir) {
  return "\"AppState\"\n{\n\t\"appid\"\t\t\"555010\"\n\t\"name\"\t\t\"Drivona 2\"\n\t\"installdir\"\t\t\"" + installDir +
         "\"\n}\n";
}

void SetValue(HKEY root, REGSAM view, const wchar_t* key, const wchar_t* name, const std::wstring& value) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_WRITE | view, nullptr, &k, nullptr), ERROR_SUCCESS);
  RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
}

void RemoveClientKeys() {
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Valve\\Steam", KEY_WOW64_32KEY, 0);
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Valve\\Steam");
}

class SteamLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    root = fs::path(temp) / (L"steam-test-" + std::to_wstring(GetCurrentProcessId()));
    fs::remove_all(root);
    client = root / L"Steam";
    library = root / L"Zweite Bibliothek";
    // The host is not registered in the uninstall list, in neither view.
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kHostEntry, KEY_WOW64_32KEY, 0);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kHostEntry, KEY_WOW64_64KEY, 0);
    RemoveClientKeys();
    WriteText(client / L"steamapps" / L"libraryfolders.vdf",
              "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + Escaped(client.wstring()) +
                  "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"1\"\n\t\t}\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" +
                  Escaped(library.wstring()) + "\"\n\t\t\"label\"\t\t\"\"\n\t}\n}\n");
    fs::create_directories(library / L"steamapps" / L"common" / L"Drivona 2");
    fs::create_directories(client / L"steamapps" / L"common" / L"Drivona 2 Alt");
    logged.clear();
    LogProc = Capture;
  }
  void TearDown() override {
    LogProc = WriteDebugLog;
    RemoveClientKeys();
    fs::remove_all(root);
  }

  std::wstring Fallback() const {
    wchar_t programFiles[4096] = {};
    const DWORD n = GetEnvironmentVariableW(L"Programfiles", programFiles, 4096);
    return ProposedDestination(L"", n ? std::optional<std::wstring>(programFiles) : std::nullopt, L"", kSub);
  }
  bool LoggedContaining(const std::wstring& part) const {
    for (const auto& [level, text] : logged)
      if (level == 3 && text.find(part) != std::wstring::npos) return true;
    return false;
  }

  fs::path root, client, library;
};

TEST_F(SteamLibraryTest, FindsTheHostInASecondLibrary) {
  SetValue(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"SOFTWARE\\Valve\\Steam", L"InstallPath", client.wstring());
  WriteText(library / L"steamapps" / L"appmanifest_555010.acf", Manifest("Drivona 2"));
  EXPECT_EQ(ProposeTargetFolder(L"InstallLocation", kSub, L""),
            library.wstring() + L"\\steamapps\\common\\Drivona 2\\");
}

TEST_F(SteamLibraryTest, FindsTheClientThroughTheUsersPath) {
  // Only the current user's value, written the client's way: "/" separators, lower case.
  std::wstring lower = client.wstring();
  for (wchar_t& c : lower) c = c == L'\\' ? L'/' : static_cast<wchar_t>(towlower(c));
  SetValue(HKEY_CURRENT_USER, 0, L"Software\\Valve\\Steam", L"SteamPath", lower);
  WriteText(client / L"steamapps" / L"appmanifest_555010.acf", Manifest("Drivona 2 Alt"));
  // The library list's spelling of the client's folder is the one proposed.
  EXPECT_EQ(ProposeTargetFolder(L"InstallLocation", kSub, L""), client.wstring() + L"\\steamapps\\common\\Drivona 2 Alt\\");
}

TEST_F(SteamLibraryTest, RefusedOrMissingInstallDirFallsBack) {
  SetValue(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"SOFTWARE\\Valve\\Steam", L"InstallPath", client.wstring());
  // A folder that exists outside the library, reached by each refused name.
  fs::create_directories(root / L"Ziel");
  const struct {
    const char* installDir;
    const wchar_t* logged;
  } cases[] = {
      {"..\\\\..\\\\Ziel", L"installdir refused"},
      {"../../Ziel", L"installdir refused"},
      {"..", L"installdir refused"},
      {".. ", L"installdir refused"},
      {"C:\\\\Windows", L"installdir refused"},
      {"Drivona 2:stream", L"installdir refused"},
      {"Fehlt", L"does not exist"},
  };
  for (const auto& c : cases) {
    logged.clear();
    WriteText(library / L"steamapps" / L"appmanifest_555010.acf", Manifest(c.installDir));
    EXPECT_EQ(ProposeTargetFolder(L"InstallLocation", kSub, L""), Fallback()) << c.installDir;
    EXPECT_TRUE(LoggedContaining(c.logged)) << c.installDir;
  }
}

TEST_F(SteamLibraryTest, LinkedGameFolderFallsBack) {
  SetValue(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"SOFTWARE\\Valve\\Steam", L"InstallPath", client.wstring());
  WriteText(library / L"steamapps" / L"appmanifest_555010.acf", Manifest("Verlinkt"));
  fs::create_directories(root / L"Ziel");
  const fs::path link = library / L"steamapps" / L"common" / L"Verlinkt";
  if (!CreateSymbolicLinkW(link.c_str(), (root / L"Ziel").c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))
    GTEST_SKIP() << "no directory links here: " << GetLastError();
  // Wine 8 makes the link but does not report it as a reparse point.
  const DWORD attributes = GetFileAttributesW(link.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    GTEST_SKIP() << "the platform does not report the link as a reparse point";
  EXPECT_EQ(ProposeTargetFolder(L"InstallLocation", kSub, L""), Fallback());
  EXPECT_TRUE(LoggedContaining(L"is a link"));
}

TEST_F(SteamLibraryTest, RefusedLibraryPathIsSkipped) {
  SetValue(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"SOFTWARE\\Valve\\Steam", L"InstallPath", client.wstring());
  // A relative and a network library are not searched, the one after them is.
  WriteText(client / L"steamapps" / L"libraryfolders.vdf",
            "\"LibraryFolders\"\n{\n\t\"1\"\t\t\"Zweite Bibliothek\"\n\t\"2\"\t\t\"\\\\\\\\server\\\\Lib\"\n\t\"3\"\t\t\"" +
                Escaped(library.wstring()) + "\"\n}\n");
  WriteText(library / L"steamapps" / L"appmanifest_555010.acf", Manifest("Drivona 2"));
  EXPECT_EQ(ProposeTargetFolder(L"InstallLocation", kSub, L""), library.wstring() + L"\\steamapps\\common\\Drivona 2\\");
  EXPECT_TRUE(LoggedContaining(L"library path refused: \"Zweite Bibliothek\""));
  EXPECT_TRUE(LoggedContaining(L"library path refused: \"\\\\server\\Lib\""));
}

TEST_F(SteamLibraryTest, UninstallEntryStillComesFirst) {
  SetValue(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"SOFTWARE\\Valve\\Steam", L"InstallPath", client.wstring());
  WriteText(library / L"steamapps" / L"appmanifest_555010.acf", Manifest("Drivona 2"));
  SetValue(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, kHostEntry, L"InstallLocation", L"D:\\Spiele\\Drivona 2");
  EXPECT_EQ(ProposeTargetFolder(L"InstallLocation", kSub, L""), L"D:\\Spiele\\Drivona 2\\");
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kHostEntry, KEY_WOW64_32KEY, 0);
}

}  // namespace
