// The install engine's units under Wine: CreateDirWithJournal, saving the journal, the
// uninstaller stage, and the shell link and internet shortcut writers.
#include <gtest/gtest.h>

#include "install/CreateDirWithJournal.h"
#include "install/JournalFile_win.h"
#include "install/MyCreateShortCut.h"
#include "install/Uninstaller.h"
#include "platform/FolderLinks.h"
#include "support/SetupError.h"
#include "tests/win32/InstallTestSupport.h"

using namespace install_test;

namespace {

class InstallParts : public ::testing::Test {
 protected:
  void SetUp() override { DeleteProductKeys(); }
  void TearDown() override {
    DeleteProductKeys();
    JournalWriteFile = WriteFile;
  }
};

BOOL WINAPI HalfWriteThenDiskFull(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
  WriteFile(file, data, size / 2, written, nullptr);
  SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

std::string RaisedMessage(const std::function<void()>& call) {
  try {
    call();
  } catch (const SetupError& e) {
    const std::wstring& m = e.message();
    std::string narrow;
    for (wchar_t c : m) narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
  }
  return "(nothing raised)";
}

}  // namespace

TEST_F(InstallParts, CreateDirWithJournalRecordsWhatItSetsOutToCreate) {
  TestFolder root(L"dirs");
  UninstallJournal journal;
  // An existing folder: one record, nothing created.
  EXPECT_TRUE(CreateDirWithJournal(root.path(), &journal));
  EXPECT_EQ(journal.Lines(), std::vector<std::wstring>{L"rmDir;" + root.path()});

  // Two missing levels: outermost first, both created.
  UninstallJournal deep;
  EXPECT_TRUE(CreateDirWithJournal(root + L"a\\b\\", &deep));
  EXPECT_EQ(deep.Lines(), (std::vector<std::wstring>{L"rmDir;" + root + L"a\\", L"rmDir;" + root + L"a\\b\\"}));
  EXPECT_TRUE(std::filesystem::is_directory(FsPath(root + L"a\\b")));

  // Without a journal: created, nothing recorded anywhere.
  EXPECT_TRUE(CreateDirWithJournal(root + L"c\\d\\", nullptr));
  EXPECT_TRUE(std::filesystem::is_directory(FsPath(root + L"c\\d")));

  // A level that cannot be created (a file is in the way) is recorded all the same.
  WriteBytes(root + L"file", "x");
  UninstallJournal blocked;
  EXPECT_FALSE(CreateDirWithJournal(root + L"file\\sub\\", &blocked));
  EXPECT_EQ(blocked.Lines(), (std::vector<std::wstring>{L"rmDir;" + root + L"file\\", L"rmDir;" + root + L"file\\sub\\"}));

  // A drive that does not exist: nothing to create below it, nothing recorded.
  UninstallJournal missing;
  EXPECT_FALSE(CreateDirWithJournal(L"Q:\\Spiele\\Drivona 2\\", &missing));
  EXPECT_TRUE(missing.Empty());
}

TEST_F(InstallParts, SaveJournalWritesAnsiLinesAndReplacesInOneStep) {
  TestFolder root(L"save");
  const std::wstring file = root + L"uninstall.dat";
  WriteBytes(file, "earlier journal\r\n");
  UninstallJournal journal;
  journal.Append(L"Delete;" + root + L"Verzeichnis mit Fahr- und Umlaufpläne öffnen.lnk");
  journal.Append(L"rmDir;" + root);
  SaveJournal(journal, file);
  std::string expected;
  for (const std::wstring& line : journal.Lines()) {
    for (wchar_t c : line) expected += static_cast<char>(c);  // Latin-1 = code page 1252 here
    expected += "\r\n";
  }
  EXPECT_EQ(ReadBytes(file), expected);
  EXPECT_FALSE(Exists(file + L".tmp"));

  // A write that fails halfway leaves the complete earlier file and no partial one.
  JournalWriteFile = HalfWriteThenDiskFull;
  UninstallJournal other;
  other.Append(L"Delete;" + root + L"x");
  EXPECT_EQ(RaisedMessage([&] { SaveJournal(other, file); }).rfind("Fehler beim Schreiben der Datei", 0), 0u);
  EXPECT_EQ(ReadBytes(file), expected);
  EXPECT_FALSE(Exists(file + L".tmp"));
  JournalWriteFile = WriteFile;

  // A folder that is not there: the file-creation error.
  const std::wstring nowhere = root + L"fehlt\\uninstall.dat";
  EXPECT_EQ(RaisedMessage([&] { SaveJournal(other, nowhere); }).rfind("Datei \"" + std::string(nowhere.begin(), nowhere.end()) +
                                                                    "\" kann nicht erstellt werden. 3, ", 0),
            0u);
}

TEST_F(InstallParts, UninstallerReplacesAnEarlierOneAndRegisters) {
  TestFolder root(L"uninstaller");
  const std::wstring setup = root + L"dist\\", target = root + L"Drivona 2";  // no trailing "\"
  const std::wstring backup = target + L"\\Uninstall_Drivona2 Ostrauwen V1.2\\";
  WriteBytes(setup + L"uninstall.exe", "new");
  WriteBytes(backup + L"uninstall.exe", "old");
  WriteBytes(backup + L"uninstall.exe.ren", "older");
  PrepareConfig(L"");
  UninstallJournal journal;
  int pumps = 0;
  const InstallRun run{target, SetupConfig.uninstallDirName, setup, journal, [&] { ++pumps; }};
  EXPECT_TRUE(InstallUninstaller(run));
  EXPECT_EQ(pumps, 1);
  EXPECT_EQ(ReadBytes(backup + L"uninstall.exe"), "new");
  EXPECT_FALSE(Exists(backup + L"uninstall.exe.ren"));
  const std::wstring key = L"\\SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Uninstall_Drivona2 Ostrauwen V1.2\\";
  EXPECT_EQ(journal.Lines(), (std::vector<std::wstring>{L"RenDel;" + backup + L"uninstall.exe", L"DelRegValue;" + key + L"DisplayName",
                                                        L"DelRegValue;" + key + L"UninstallString",
                                                        L"DelRegValue;" + key + L"Publisher", L"DelRegKey;" + key}));
  EXPECT_EQ(RegistryValue(kUninstallKey, L"UninstallString"), L"\"" + backup + L"uninstall.exe\"");

  // No uninstaller beside the setup program: one error record, no registry values.
  DeleteProductKeys();
  UninstallJournal failed;
  const InstallRun elsewhere{target, SetupConfig.uninstallDirName, root + L"leer\\", failed, [&] { ++pumps; }};
  EXPECT_FALSE(InstallUninstaller(elsewhere));
  EXPECT_EQ(pumps, 2);
  ASSERT_EQ(failed.Lines().size(), 1u);
  EXPECT_EQ(failed.Lines()[0].rfind(L"ErrorCopyUninstall;", 0), 0u);
  EXPECT_FALSE(RegistryValue(kUninstallKey, L"DisplayName"));
}

TEST_F(InstallParts, ShellLinksWithTheirWorkingFolders) {
  TestFolder root(L"links");
  UninstallJournal journal;
  // No link name: the target's name with ".lnk"; no working folder: the target's folder.
  const std::wstring plain = CreateShortCutJournaled(root + L"bin\\Uninstall.exe", L"", slFolder, root.path(), L"",
                                                     L"", L"", journal);
  EXPECT_EQ(plain, root + L"Uninstall.lnk");
  LinkInfo link = ReadLink(plain);
  ASSERT_TRUE(link.loaded);
  EXPECT_EQ(link.path, root + L"bin\\Uninstall.exe");
  EXPECT_EQ(link.workingFolder, root + L"bin\\");

  // A folder without a trailing delimiter, a name without extension, an explicit working folder.
  const std::wstring named = CreateShortCut(root + L"doc.pdf", L"Handbuch", slFolder,
                                            root.path().substr(0, root.path().size() - 1), root + L"work\\", L"-x",
                                            L"Beschreibung");
  EXPECT_EQ(named, root + L"Handbuch.lnk");
  link = ReadLink(named);
  EXPECT_EQ(link.workingFolder, root + L"work\\");
  EXPECT_EQ(link.arguments, L"-x");
  EXPECT_EQ(link.description, L"Beschreibung");

  // A save into a missing folder goes unnoticed: the path is journaled all the same.
  CreateShortCutJournaled(root + L"doc.pdf", L"x.lnk", slFolder, root + L"fehlt\\", L"", L"", L"", journal);
  EXPECT_EQ(journal.Lines(), (std::vector<std::wstring>{L"Delete;" + plain, L"Delete;" + root + L"fehlt\\x.lnk"}));

  // A registry-based place: the user's shell folder, with the folder argument as subfolder.
  wchar_t desktop[MAX_PATH] = {};
  DWORD size = sizeof desktop;
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                   L"Desktop", RRF_RT_REG_SZ, nullptr, desktop, &size) == ERROR_SUCCESS) {
    EXPECT_EQ(CreateShortCut(root + L"doc.pdf", L"Test", slDesktop, L"InstallPartsTest", L"", L"", L""),
              std::wstring(desktop) + L"\\InstallPartsTest\\Test.lnk");
  }
}

TEST_F(InstallParts, DocumentLinksOnlyForDocumentsThatExist) {
  TestFolder root(L"documents");
  SetupConfig.startMenuDir = root + L"menu\\";
  std::filesystem::create_directories(FsPath(SetupConfig.startMenuDir));
  WriteBytes(root + L"Handbuch.pdf", "%PDF");
  UninstallJournal journal;
  EXPECT_TRUE(CreateDocumentShortcut(root.path(), L"Handbuch.pdf", L"Handbuch ansehen.lnk", journal));
  EXPECT_TRUE(CreateDocumentShortcut(root.path(), L"Fehlt.pdf", L"Fehlt.lnk", journal));
  EXPECT_TRUE(CreateDocumentShortcut(root + L"fehlt", L"Fehlt.pdf", L"Fehlt.lnk", journal));
  EXPECT_EQ(journal.Lines(), (std::vector<std::wstring>{L"Delete;" + SetupConfig.startMenuDir + L"Handbuch ansehen.lnk",
                                                        L"CreateError;2;" + root + L"Fehlt.pdf",
                                                        L"CreateError;3;" + root + L"fehlt\\Fehlt.pdf"}));
  EXPECT_EQ(ReadLink(SetupConfig.startMenuDir + L"Handbuch ansehen.lnk").path, root + L"Handbuch.pdf");
}

TEST_F(InstallParts, InternetShortcutHoldsSectionAndKeyOnly) {
  TestFolder root(L"url");
  UninstallJournal journal;
  // The extension becomes ".URL" whatever its case; an existing key is overwritten.
  EXPECT_EQ(CreateInternetShortCutJournaled(root + L"Webseite.url", L"https://alt.example", &journal), root + L"Webseite.URL");
  EXPECT_EQ(CreateInternetShortCutJournaled(root + L"Webseite.Url", product::webAddress, nullptr), root + L"Webseite.URL");
  EXPECT_EQ(ReadBytes(root + L"Webseite.URL"), "[InternetShortcut]\r\nURL=https://www.quellmark-media.de\r\n");
  EXPECT_EQ(CreateInternetShortCut(root + L"Ohne", L"x"), root + L"Ohne.URL");
  EXPECT_EQ(journal.Lines(), std::vector<std::wstring>{L"Delete;" + root + L"Webseite.URL"});
  // A file that cannot be written raises the profile writer's error.
  const std::wstring missing = root + L"fehlt\\Webseite.URL";
  EXPECT_EQ(RaisedMessage([&] { CreateInternetShortCut(root + L"fehlt\\Webseite.url", L"x"); }),
            "In " + std::string(missing.begin(), missing.end()) + " kann nicht geschrieben werden");
}

TEST_F(InstallParts, FolderLinkGuardPassesPlainFolders) {
  // Planted links are the install run's cases; here: plain levels pass, a missing one ends the
  // walk, and files inside held levels stay free to create and move. (Wine lets a held folder
  // be renamed all the same; Windows refuses that while the handle lacks delete sharing.)
  TestFolder root(L"guard");
  std::filesystem::create_directories(FsPath(root + L"a\\b"));
  FolderLinkGuard guard(root.path());
  EXPECT_FALSE(guard.Check(L"a\\b\\c\\d\\").linked);
  EXPECT_FALSE(guard.Check(L"A/B/").linked);
  WriteBytes(root + L"a\\b\\x.txt", "x");
  EXPECT_TRUE(MoveFileW((root + L"a\\b\\x.txt").c_str(), (root + L"a\\y.txt").c_str()));
  std::filesystem::create_directories(FsPath(root + L"a\\b\\c"));
  EXPECT_FALSE(guard.Check(L"a\\b\\c\\").linked);
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new ComEnvironment);
  return RUN_ALL_TESTS();
}
