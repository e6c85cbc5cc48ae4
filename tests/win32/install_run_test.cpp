// The install run under Wine, driven through a test window: real archives made by Info-ZIP,
// the real file system, the registry in the 32-bit view and shell links read back.
#include "install/uSetupInstall.h"

#include <aclapi.h>
#include <sddl.h>
#include <zip.h>

#include <algorithm>
#include <set>

#include "install/JournalFile_win.h"
#include "support/SetupError.h"
#include "tests/ProgramExpectations.h"
#include "tests/win32/InstallTestSupport.h"

using namespace install_test;

namespace {

const std::wstring kUninstallRecordKey = L"\\SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Uninstall_Drivona2 Ostrauwen V1.2\\";
const std::string kGlobalCfg = "[Global]\r\nName=Ostrauwen\r\nVersion=1.2\r\n";
const std::string kBusCfg = "[Bus]\r\nTyp=Gelenkbus\r\nT\xC3\xBCren=3\r\n";
const std::string kUninstaller = "MZ test uninstaller";

// One scenario: the distribution folder (the setup program's folder with the data file and
// uninstall.exe), the target folder and the Start-menu Programs folder, all below one folder.
struct Scene {
  TestFolder root;
  std::wstring dist, target, programs, menu;
  TestHost host;
  InstallRequest request;
  InstallResult result;

  Scene(const std::wstring& name, const std::string& archive, bool withUninstaller = true) : root(name) {
    dist = root + L"dist\\";
    target = root + L"Drivona 2\\";
    programs = root + L"Start Menu\\Programs\\";
    menu = programs + L"Quellmark Media\\Drivona2 Ostrauwen\\";
    for (const std::wstring& f : {dist, target, programs}) std::filesystem::create_directories(FsPath(f));
    if (!archive.empty())
      std::filesystem::copy_file(FsPath(FixtureArchive(archive)), FsPath(dataFile()),
                                 std::filesystem::copy_options::overwrite_existing);
    if (withUninstaller) WriteBytes(dist + L"uninstall.exe", kUninstaller);
    PrepareConfig(menu);
    request.targetFolder = target;
    request.sourceFolder = dist;
  }
  std::wstring dataFile() const { return dist + L"Ostrauwen_1-2.dat"; }
  std::wstring backup() const { return target + L"Uninstall_Drivona2 Ostrauwen V1.2\\"; }
  std::wstring journalFile() const { return backup() + L"uninstall.dat"; }
  std::vector<std::wstring> Journal() const { return JournalLines(journalFile()); }
  // An error raised in the run reaches the test as it reaches the window's handler.
  void Run() {
    result = InstallAddon(host, request, dist + L"Setup.exe");
    if (result.error) std::rethrow_exception(result.error);
  }
  // A second installation into the same target folder.
  void RunAgain() {
    host.ClearRecords();
    SetupConfig.currentPage = wpProgress;
    Run();
  }
};

// The records of a successful uninstaller stage.
std::vector<std::wstring> UninstallerRecords(const Scene& s) {
  return {L"RenDel;" + s.backup() + L"uninstall.exe", L"DelRegValue;" + kUninstallRecordKey + L"DisplayName",
          L"DelRegValue;" + kUninstallRecordKey + L"UninstallString",
          L"DelRegValue;" + kUninstallRecordKey + L"Publisher", L"DelRegKey;" + kUninstallRecordKey};
}

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool HasPrefix(const std::vector<std::wstring>& lines, const std::wstring& prefix) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::wstring& l) { return l.rfind(prefix, 0) == 0; });
}

// A write that stops halfway because the disk is full.
BOOL WINAPI HalfWriteThenDiskFull(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
  WriteFile(file, data, size / 2, written, nullptr);
  SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

class Install : public InstallRunTest {
 protected:
  void TearDown() override {
    InstallRunTest::TearDown();
    SetupConfig.cancelRequested = false;
    ZipStatIndexCall = RealStatIndex;
  }
  static inline const ZipStatIndexFn RealStatIndex = ZipStatIndexCall;
};

}  // namespace

TEST_F(Install, ExampleJournalByteForByteAndWhatItDescribes) {
  Scene s(L"example", "example.zip");
  WriteBytes(s.target + L"Vehicles\\bus.cfg", "alt");
  s.Run();

  const std::wstring b = s.backup(), t = s.target, m = s.menu;
  // Wine's default version record; the test program carries the product's version record.
  const std::string expectedBytes = ExampleJournalBytes(s.dist + L"Setup.exe", t, s.programs, kBuiltProgram.windowsText);
  const std::string bytes = ReadBytes(s.journalFile());
  EXPECT_EQ(bytes, expectedBytes);
  EXPECT_NE(bytes.find("Fahr- und Umlaufpl\xE4ne \xF6""ffnen.lnk\r\n"), std::string::npos);
  EXPECT_FALSE(Exists(s.journalFile() + L".tmp"));

  // The files, the backup and the uninstaller.
  EXPECT_EQ(ReadBytes(t + L"maps\\Ostrauwen\\global.cfg"), kGlobalCfg);
  EXPECT_EQ(ReadBytes(t + L"Vehicles\\bus.cfg"), kBusCfg);
  EXPECT_EQ(ReadBytes(b + L"Vehicles\\bus.cfg"), "alt");
  EXPECT_FALSE(Exists(b + L"maps"));  // nothing was backed up from there
  EXPECT_EQ(ReadBytes(b + L"uninstall.exe"), kUninstaller);

  // The registry, 32-bit view.
  EXPECT_EQ(RegistryValue(kProductKey, L"InstallPath"), t);
  EXPECT_EQ(RegistryValue(kUninstallKey, L"DisplayName"), L"Drivona2 Ostrauwen Version 1.2");
  EXPECT_EQ(RegistryValue(kUninstallKey, L"UninstallString"), L"\"" + b + L"uninstall.exe\"");  // quoted
  EXPECT_EQ(RegistryValue(kUninstallKey, L"Publisher"), L"\u00A9 2015 Quellmark Media");

  // The Start menu: three entries without the documents.
  std::set<std::wstring> entries;
  for (const auto& e : std::filesystem::directory_iterator(FsPath(m))) entries.insert(e.path().filename().wstring());
  EXPECT_EQ(entries, (std::set<std::wstring>{L"Drivona2 Ostrauwen Version 1.2 entfernen.lnk",
                                             L"Quellmark Media Webseite besuchen.URL",
                                             L"Verzeichnis mit Fahr- und Umlaufpläne öffnen.lnk"}));
  const LinkInfo uninstall = ReadLink(m + L"Drivona2 Ostrauwen Version 1.2 entfernen.lnk");
  ASSERT_TRUE(uninstall.loaded);
  EXPECT_EQ(uninstall.path, b + L"Uninstall.exe");
  EXPECT_EQ(uninstall.workingFolder, b);
  EXPECT_EQ(uninstall.arguments, L"");
  EXPECT_EQ(uninstall.description, L"");
  const LinkInfo folder = ReadLink(m + L"Verzeichnis mit Fahr- und Umlaufpläne öffnen.lnk");
  ASSERT_TRUE(folder.loaded);
  EXPECT_EQ(folder.path, t + L"Addons\\Ostrauwen\\");
  EXPECT_EQ(folder.workingFolder, t + L"Addons\\Ostrauwen\\");
  EXPECT_EQ(ReadBytes(m + L"Quellmark Media Webseite besuchen.URL"),
            "[InternetShortcut]\r\nURL=https://www.quellmark-media.de\r\n");

  // The window.
  EXPECT_EQ(s.host.labels, std::vector<std::wstring>{L"Installiere Addon"});
  EXPECT_EQ(s.host.texts, (std::vector<std::wstring>{L"Kopiere Dateien ... ", L"Installiere Uninstaller ... ",
                                                     L"Installiere Shortcuts ... ", L"Registriere in Registry ... ", L""}));
  EXPECT_EQ(s.host.positions, (std::vector<int>{0, 50, 0}));
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Success);
  EXPECT_TRUE(s.host.messages.empty());
  EXPECT_EQ(SetupConfig.currentPage, wpProgress);  // the wizard's to set
}

TEST_F(Install, BackupOnlyWhileTheCheckBoxIsTicked) {
  for (const bool ticked : {true, false}) {
    SCOPED_TRACE(ticked ? "ticked" : "not ticked");
    DeleteProductKeys();
    Scene s(L"backup", "example.zip");
    s.request.saveFiles = ticked;
    WriteBytes(s.target + L"Vehicles\\bus.cfg", "alt");
    s.Run();
    const auto journal = s.Journal();
    const std::wstring file = s.target + L"Vehicles\\bus.cfg";
    EXPECT_EQ(Contains(journal, L"Move;" + file + L";" + s.backup() + L"Vehicles\\bus.cfg"), ticked);
    EXPECT_EQ(Contains(journal, L"Delete;" + file), !ticked);
    EXPECT_EQ(Exists(s.backup() + L"Vehicles"), ticked);
    if (ticked) {
      EXPECT_EQ(ReadBytes(s.backup() + L"Vehicles\\bus.cfg"), "alt");
    }
    EXPECT_EQ(ReadBytes(file), kBusCfg);
    EXPECT_EQ(OutcomeOf(s.result), Outcome::Success);
  }
}

TEST_F(Install, SecondInstallationKeepsEarlierBackupsAndReplacesTheJournal) {
  Scene s(L"again", "example.zip");
  WriteBytes(s.target + L"Vehicles\\bus.cfg", "alt");
  s.Run();
  ASSERT_EQ(OutcomeOf(s.result), Outcome::Success);
  WriteBytes(s.backup() + L"uninstall.exe.ren", "left over");
  s.RunAgain();
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Success);

  const auto journal = s.Journal();
  ASSERT_GT(journal.size(), 4u);
  EXPECT_EQ(journal[3], L"rmDir;" + s.backup());  // exists now, recorded all the same
  const std::wstring t = s.target, b = s.backup();
  EXPECT_TRUE(Contains(journal, L"Move;" + t + L"Vehicles\\bus.cfg;" + b + L"Vehicles\\bus.cfg"));
  EXPECT_TRUE(Contains(journal, L"Move;" + t + L"maps\\Ostrauwen\\global.cfg;" + b + L"maps\\Ostrauwen\\global.cfg"));
  EXPECT_EQ(ReadBytes(b + L"Vehicles\\bus.cfg"), "alt");  // the earlier backup stays
  EXPECT_EQ(ReadBytes(b + L"maps\\Ostrauwen\\global.cfg"), kGlobalCfg);
  EXPECT_EQ(ReadBytes(t + L"Vehicles\\bus.cfg"), kBusCfg);
  // The uninstaller again, its five records again, the old one and the ".ren" gone.
  const auto records = UninstallerRecords(s);
  EXPECT_NE(std::search(journal.begin(), journal.end(), records.begin(), records.end()), journal.end());
  EXPECT_EQ(ReadBytes(b + L"uninstall.exe"), kUninstaller);
  EXPECT_FALSE(Exists(b + L"uninstall.exe.ren"));
  // The Start-menu folder is there: one record for it, none for its parent.
  EXPECT_TRUE(Contains(journal, L"rmDir;" + s.menu));
  EXPECT_FALSE(Contains(journal, L"rmDir;" + s.programs + L"Quellmark Media\\"));
  EXPECT_EQ(std::count(journal.begin(), journal.end(), L"Delete;" + s.menu + L"Quellmark Media Webseite besuchen.URL"), 1);
}

TEST_F(Install, EightEntriesFolderEntriesAndADocument) {
  Scene s(L"eight", "eight.zip");
  s.Run();
  EXPECT_EQ(s.host.positions, (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88, 0}));
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Success);
  const auto journal = s.Journal();
  const std::wstring t = s.target;
  const std::vector<std::wstring> entries(journal.begin() + 4, journal.begin() + 15);
  EXPECT_EQ(entries, (std::vector<std::wstring>{
                         L"Delete;" + t + L"Ostrauwen-Handbuch.pdf",  // top level: no folder
                         L"rmDir;" + t + L"Addons\\",
                         L"Delete;" + t + L"Addons\\",  // a folder entry names its folder
                         L"rmDir;" + t + L"Addons\\Ostrauwen\\",
                         L"Delete;" + t + L"Addons\\Ostrauwen\\",
                         L"Delete;" + t + L"Addons\\Ostrauwen\\Fahrplan.txt",
                         L"rmDir;" + t + L"maps\\",
                         L"Delete;" + t + L"maps\\",
                         L"Delete;" + t + L"maps\\a.cfg",
                         L"Delete;" + t + L"maps\\b.cfg",
                         L"Delete;" + t + L"readme.txt",
                     }));
  // The manual is there, so it is linked; the two maps are not.
  const std::wstring manualLink = s.menu + L"Drivona2 Ostrauwen Version 1.2 PDF Handbuch ansehen.lnk";
  EXPECT_TRUE(Contains(journal, L"Delete;" + manualLink));
  const LinkInfo manual = ReadLink(manualLink);
  EXPECT_EQ(manual.path, t + L"Ostrauwen-Handbuch.pdf");
  EXPECT_EQ(manual.workingFolder, t);
  EXPECT_TRUE(Contains(journal, L"CreateError;2;" + t + L"Ostrauwen_Liniennetzplan_Tag.pdf"));
}

TEST_F(Install, FailedExtractionStopsTheRunBeforeAnyStage) {
  Scene s(L"five", "five.zip");
  std::filesystem::create_directories(FsPath(s.target + L"drei.txt"));  // a folder where the file goes
  s.Run();
  EXPECT_EQ(s.host.positions, (std::vector<int>{0, 20}));
  const auto journal = s.Journal();
  ASSERT_FALSE(journal.empty());
  EXPECT_EQ(journal.back().rfind(L"ZipError;", 0), 0u);
  EXPECT_EQ(journal.back().substr(journal.back().rfind(L';') + 1), s.target + L"drei.txt");
  EXPECT_EQ(journal.size(), 8u);  // header, backup folder, three entries, the error
  EXPECT_EQ(ReadBytes(s.target + L"zwei.txt"), "zwei\n");
  EXPECT_FALSE(Exists(s.target + L"vier.txt"));
  EXPECT_FALSE(Exists(s.backup() + L"uninstall.exe"));
  EXPECT_FALSE(RegistryValue(kProductKey, L"InstallPath"));
  EXPECT_EQ(s.host.texts, std::vector<std::wstring>{L"Kopiere Dateien ... "});
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Failure);
  EXPECT_EQ(SetupConfig.currentPage, wpProgress);  // the wizard's to set
}

TEST_F(Install, CancelAfterAnEntryStopsAfterItAndSavesTheJournal) {
  Scene s(L"cancel", "eight.zip");
  // The cancel is confirmed while the run pumps after the third entry.
  s.host.onPump = [](TestHost& h) {
    if (h.positions.size() == 3) SetupConfig.cancelRequested = true;
  };
  s.Run();
  EXPECT_EQ(s.host.positions, (std::vector<int>{0, 12, 25}));
  EXPECT_EQ(s.host.texts, (std::vector<std::wstring>{L"Kopiere Dateien ... ", L"Installiere Uninstaller ... "}));
  const auto journal = s.Journal();
  ASSERT_FALSE(journal.empty());
  EXPECT_EQ(journal.back(), L"Delete;" + s.target + L"Addons\\Ostrauwen\\");  // the third entry
  EXPECT_FALSE(HasPrefix(journal, L"RenDel;"));
  EXPECT_FALSE(Exists(s.target + L"readme.txt"));
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Failure);
}

TEST_F(Install, CancelDuringTheShortcutStageStillRegistersAndSucceeds) {
  Scene s(L"cancel-late", "example.zip");
  s.host.onPump = [](TestHost& h) {
    if (h.texts.size() == 3) SetupConfig.cancelRequested = true;  // "Installiere Shortcuts ... "
  };
  s.Run();
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Success);
  EXPECT_EQ(RegistryValue(kProductKey, L"InstallPath"), s.target);
}

TEST_F(Install, WithoutTheUninstallerBesideTheSetupProgram) {
  Scene s(L"nouninstaller", "example.zip", false);
  s.Run();
  const auto journal = s.Journal();
  ASSERT_FALSE(journal.empty());
  const std::wstring record = journal.back();
  const std::wstring tail = L";" + s.backup() + L"uninstall.exe;" + s.dist + L"uninstall.exe";
  EXPECT_EQ(record.rfind(L"ErrorCopyUninstall;2, ", 0), 0u) << record;
  EXPECT_EQ(record.substr(record.size() - std::min(record.size(), tail.size())), tail);
  EXPECT_EQ(std::count_if(journal.begin(), journal.end(), [](const std::wstring& l) { return l.rfind(L"ErrorCopyUninstall;", 0) == 0; }), 1);
  EXPECT_FALSE(RegistryValue(kUninstallKey, L"DisplayName"));
  EXPECT_FALSE(RegistryValue(kProductKey, L"InstallPath"));
  EXPECT_FALSE(Exists(s.menu));
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Failure);
}

TEST_F(Install, TargetFolderThatTheRunMakes) {
  Scene s(L"newtarget", "example.zip");
  std::filesystem::remove_all(FsPath(s.target));
  s.Run();
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Success);
  const auto journal = s.Journal();
  ASSERT_GT(journal.size(), 5u);
  EXPECT_EQ(journal[3], L"rmDir;" + s.target);
  EXPECT_EQ(journal[4], L"rmDir;" + s.backup());
  EXPECT_EQ(ReadBytes(s.target + L"Vehicles\\bus.cfg"), kBusCfg);
}

TEST_F(Install, AnEmptyArchiveInstallsNothingAndSucceeds) {
  Scene s(L"empty", "");
  WriteBytes(s.dataFile(), std::string("PK\x05\x06\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 22));
  s.Run();
  const auto journal = s.Journal();
  ASSERT_GT(journal.size(), 4u);
  EXPECT_EQ(journal[4], L"RenDel;" + s.backup() + L"uninstall.exe");
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Success);
}

// ---- Faults the run guards against ------------------------------------------------------------

TEST_F(Install, MissingDataFileKeepsAnEarlierJournal) {
  Scene s(L"nodata", "");
  WriteBytes(s.journalFile(), "earlier journal\r\n");
  s.Run();
  EXPECT_EQ(s.host.messages, std::vector<std::wstring>{L"Datendatei nicht gefunden!"});
  EXPECT_EQ(ReadBytes(s.journalFile()), "earlier journal\r\n");
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Failure);

  // Without an earlier installation nothing is created at all.
  Scene fresh(L"nodata-fresh", "");
  fresh.Run();
  EXPECT_FALSE(Exists(fresh.backup()));
  EXPECT_EQ(OutcomeOf(fresh.result), Outcome::Failure);
}

// The listing of the second entry fails, as a damaged central directory can make it.
int FailOnSecondEntry(zip* archive, uint64_t index, uint32_t flags, struct zip_stat* out) {
  if (index == 1) return -1;
  return zip_stat_index(archive, index, flags, out);
}

TEST_F(Install, ArchiveThatCannotBeListedWhollyIsAFailedExtraction) {
  const struct {
    const char* what;
    std::string bytes;  // the data file; empty: example.zip, whose second entry cannot be read
  } cases[] = {{"empty file", std::string()}, {"no archive", "no archive at all"}, {"entry unreadable", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const bool injected = std::string(c.what) == "entry unreadable";
    Scene s(L"notzip", injected ? "example.zip" : "");
    if (!injected) WriteBytes(s.dataFile(), c.bytes);
    if (injected) ZipStatIndexCall = FailOnSecondEntry;
    s.Run();
    ZipStatIndexCall = RealStatIndex;
    const auto journal = s.Journal();
    ASSERT_EQ(journal.size(), 5u);
    EXPECT_EQ(journal[3], L"rmDir;" + s.backup());
    EXPECT_EQ(journal[4], L"ZipError;11;" + s.dataFile());  // ERROR_BAD_FORMAT
    ASSERT_EQ(s.host.messages.size(), 1u);  // the component's own report
    EXPECT_FALSE(Exists(s.target + L"maps"));
    EXPECT_FALSE(Exists(s.backup() + L"uninstall.exe"));
    EXPECT_EQ(OutcomeOf(s.result), Outcome::Failure);
  }
}

TEST_F(Install, ZipErrorCarriesAWindowsErrorNumber) {
  const struct {
    const char* archive;
    std::wstring record;  // after the target folder
  } cases[] = {
      {"wrong-password.zip", L"ZipError;86;eins.txt"},  // ERROR_INVALID_PASSWORD
      {"damaged.zip", L"ZipError;1392;zwei.txt"},       // ERROR_FILE_CORRUPT
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.archive);
    Scene s(L"zipcode", c.archive);
    s.Run();
    const auto journal = s.Journal();
    ASSERT_FALSE(journal.empty());
    const std::wstring expected = c.record.substr(0, c.record.rfind(L';') + 1) + s.target + c.record.substr(c.record.rfind(L';') + 1);
    EXPECT_EQ(journal.back(), expected);
    EXPECT_EQ(s.host.messages.size(), 1u);
    EXPECT_EQ(OutcomeOf(s.result), Outcome::Failure);
  }
}

TEST_F(Install, EntryNamesLeadingOutsideTheTargetTouchNothing) {
  const struct {
    const char* archive;
    std::wstring name;  // as the component lists it
  } cases[] = {
      {"hostile-1.zip", L"..\\evil.txt"},      {"hostile-2.zip", L"maps\\..\\..\\evil.txt"},
      {"hostile-3.zip", L"\\evil.txt"},        {"hostile-4.zip", L"C:\\evil.txt"},
      {"hostile-5.zip", L"readme.txt:evil"},   {"hostile-6.zip", L"CON"},
      {"hostile-7.zip", L"maps\\aux.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.archive);
    Scene s(L"hostile", c.archive);
    // A file of the user's beside the target folder, where ".." would lead.
    WriteBytes(s.root + L"evil.txt", "user's file");
    s.Run();
    const auto journal = s.Journal();
    ASSERT_EQ(journal.size(), 6u);
    EXPECT_EQ(journal[4], L"Delete;" + s.target + L"readme.txt");
    EXPECT_EQ(journal[5], L"ZipError;123;" + s.target + c.name);
    EXPECT_EQ(ReadBytes(s.root + L"evil.txt"), "user's file");
    EXPECT_FALSE(Exists(s.backup() + L"evil.txt"));
    EXPECT_FALSE(Exists(s.target + L"maps"));
    EXPECT_EQ(OutcomeOf(s.result), Outcome::Failure);
  }
}

TEST_F(Install, BackupThatCannotBeMadeLeavesTheUsersFileAlone) {
  Scene s(L"nobackup", "example.zip");
  WriteBytes(s.target + L"Vehicles\\bus.cfg", "alt");
  WriteBytes(s.backup() + L"Vehicles", "a file where the backup's folder should be");
  s.Run();
  const auto journal = s.Journal();
  ASSERT_GE(journal.size(), 2u);
  const std::wstring file = s.target + L"Vehicles\\bus.cfg";
  EXPECT_EQ(journal[journal.size() - 2], L"Move;" + file + L";" + s.backup() + L"Vehicles\\bus.cfg");
  const std::wstring last = journal.back();
  EXPECT_EQ(last.rfind(L"ZipError;", 0), 0u);
  EXPECT_NE(last, L"ZipError;0;" + file);
  EXPECT_EQ(last.substr(last.find(L';', 9)), L";" + file);
  EXPECT_EQ(ReadBytes(file), "alt");
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Failure);
}

// The run looks for no file in a folder it made itself; a file someone puts there meanwhile is
// still never written over: the entry fails and the file stays as it was.
TEST_F(Install, FileThatAppearsInAFolderTheRunMadeIsNotWrittenOver) {
  Scene s(L"appeared", "large.zip");
  const std::wstring planted = s.target + L"many\\f039.txt";
  s.host.onPump = [&](TestHost&) {
    if (Exists(s.target + L"many\\f001.txt") && !Exists(planted)) WriteBytes(planted, "someone else's");
  };
  s.Run();
  EXPECT_EQ(ReadBytes(planted), "someone else's");
  const auto journal = s.Journal();
  ASSERT_FALSE(journal.empty());
  EXPECT_EQ(journal.back(), L"ZipError;80;" + planted);  // ERROR_FILE_EXISTS
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Failure);
  ASSERT_EQ(s.host.messages.size(), 1u);
  EXPECT_NE(s.host.messages[0].find(L"existiert bereits"), std::wstring::npos);
}

TEST_F(Install, FailedJournalSaveKeepsTheEarlierFileAndReachesTheWindow) {
  Scene s(L"savefail", "example.zip");
  WriteBytes(s.journalFile(), "earlier journal\r\n");
  JournalWriteFile = HalfWriteThenDiskFull;
  try {
    s.Run();
    ADD_FAILURE() << "no error raised";
  } catch (const SetupError& e) {
    EXPECT_EQ(e.message().rfind(L"Fehler beim Schreiben der Datei \"" + s.journalFile() + L"\". 112, ", 0), 0u)
        << std::string(e.message().begin(), e.message().end());
  }
  EXPECT_EQ(ReadBytes(s.journalFile()), "earlier journal\r\n");
  EXPECT_FALSE(Exists(s.journalFile() + L".tmp"));
  EXPECT_EQ(OutcomeOf(s.result), Outcome::NotShown);  // the result label stays empty
  EXPECT_TRUE(s.result.success);                      // the stages were done
}

TEST_F(Install, ErrorOfAStageEndsTheRunAfterItsFinalStep) {
  Scene s(L"stageerror", "example.zip");
  // A Start-menu folder on a drive that does not exist: nothing is recorded for its folders,
  // the uninstall link's save fails unnoticed, the internet shortcut's write raises.
  SetupConfig.startMenuDir = L"Q:\\Start Menu\\Programs\\Quellmark Media\\Drivona2 Ostrauwen\\";
  std::wstring message;
  try {
    s.Run();
  } catch (const SetupError& e) {
    message = e.message();
  }
  EXPECT_EQ(message, L"In " + SetupConfig.startMenuDir + L"Quellmark Media Webseite besuchen.URL kann nicht geschrieben werden");
  const auto journal = s.Journal();
  ASSERT_FALSE(journal.empty());
  EXPECT_EQ(journal.back(), L"Delete;" + SetupConfig.startMenuDir + L"Drivona2 Ostrauwen Version 1.2 entfernen.lnk");
  EXPECT_FALSE(HasPrefix(journal, L"rmDir;Q:"));
  EXPECT_FALSE(RegistryValue(kProductKey, L"InstallPath"));
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Failure);
}

TEST_F(Install, NamesThatReadAsAnotherPathInTheAnsiJournalAreRefused) {
  // Best fit of code page 1252 turns the fullwidth forms into ".", "\\", "/" and "CON".
  const struct {
    const char* archive;
    std::wstring shown;  // the name in the refusal record: non-ASCII as "?"
  } refused[] = {{"ansi-1.zip", L"??????evil?x.txt"}, {"ansi-2.zip", L"???"}, {"ansi-3.zip", L"maps?..?x.txt"}};
  for (const auto& c : refused) {
    SCOPED_TRACE(c.archive);
    Scene s(L"ansi", c.archive);
    s.Run();
    const auto journal = s.Journal();
    ASSERT_EQ(journal.size(), 6u);
    EXPECT_EQ(journal[4], L"Delete;" + s.target + L"readme.txt");
    EXPECT_EQ(journal[5], L"ZipError;123;" + s.target + c.shown);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FsPath(s.target)), {}), 2);  // readme.txt, backup folder
    EXPECT_EQ(OutcomeOf(s.result), Outcome::Failure);
  }
  // A letter that best fit merely simplifies is installed.
  Scene s(L"ansi-letter", "ansi-4.zip");
  s.Run();
  EXPECT_EQ(ReadBytes(s.target + L"\u0100mter.txt"), "ansi\n");
  EXPECT_TRUE(Contains(s.Journal(), L"Delete;" + s.target + L"Amter.txt"));
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Success);
}

TEST_F(Install, PlantedLinksBelowTheTargetAreNotFollowed) {
  const std::wstring planted = WindowsPathOf(PLANTED_LINKS_DIR) + L"\\";
  const std::wstring system = planted + L"system\\";
  ASSERT_TRUE(std::filesystem::is_directory(FsPath(planted + L"maps-target\\maps"))) << "made by the plant_links fixture";
  const auto systemIsEmpty = [&] { return std::filesystem::is_empty(FsPath(system)); };

  // maps -> the system folder: the entry below it is refused before anything is made there.
  Scene s(L"link-maps", "example.zip");
  s.request.targetFolder = planted + L"maps-target\\";
  s.Run();
  const std::wstring backup = s.request.targetFolder + L"Uninstall_Drivona2 Ostrauwen V1.2\\";
  const auto journal = JournalLines(backup + L"uninstall.dat");
  ASSERT_EQ(journal.size(), 5u);
  EXPECT_EQ(journal[4], L"ZipError;681;" + s.request.targetFolder + L"maps\\Ostrauwen\\global.cfg");  // ERROR_STOPPED_ON_SYMLINK
  EXPECT_TRUE(systemIsEmpty());
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Failure);

  // The backup folder itself a link: no folder, backup or journal goes there.
  Scene b(L"link-backup", "example.zip");
  b.request.targetFolder = planted + L"backup-target\\";
  WriteBytes(b.request.targetFolder + L"Vehicles\\bus.cfg", "alt");
  b.Run();
  EXPECT_TRUE(systemIsEmpty());
  EXPECT_EQ(ReadBytes(b.request.targetFolder + L"Vehicles\\bus.cfg"), "alt");
  EXPECT_FALSE(Exists(b.request.targetFolder + L"maps"));
  EXPECT_EQ(OutcomeOf(b.result), Outcome::Failure);
}

TEST_F(Install, WithoutAStartMenuFolderNoShortcutIsWrittenAnywhere) {
  Scene s(L"nomenu", "example.zip");
  SetupConfig.startMenuDir.clear();  // the special-folder call failed
  wchar_t windows[MAX_PATH] = {}, current[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  GetCurrentDirectoryW(MAX_PATH, current);
  const std::wstring url = L"\\Quellmark Media Webseite besuchen.URL";
  const std::wstring link = L"\\Drivona2 Ostrauwen Version 1.2 entfernen.lnk";
  s.Run();
  const auto journal = s.Journal();
  const auto records = UninstallerRecords(s);
  ASSERT_GT(journal.size(), records.size());
  EXPECT_TRUE(std::equal(records.begin(), records.end(), journal.end() - records.size() - 1));
  EXPECT_EQ(journal.back(), L"CreateError;3;");
  for (const std::wstring& folder : {std::wstring(windows), std::wstring(current)}) {
    EXPECT_FALSE(Exists(folder + url)) << std::string(folder.begin(), folder.end());
    EXPECT_FALSE(Exists(folder + link)) << std::string(folder.begin(), folder.end());
  }
  EXPECT_FALSE(RegistryValue(kProductKey, L"InstallPath"));
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Failure);
}

// Whether the folder's access list lets Everyone, Users or Authenticated Users change anything.
bool OthersMayWrite(const std::wstring& folder) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  EXPECT_EQ(GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                  nullptr, &sd),
            ERROR_SUCCESS);
  if (dacl == nullptr) {
    LocalFree(sd);
    return sd != nullptr;  // no list at all: everyone may do everything
  }
  const DWORD write = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD |
                      DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
  bool others = false;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    LPWSTR sid = nullptr;
    ConvertSidToStringSidW(&ace->SidStart, &sid);
    const std::wstring text = sid ? sid : L"";
    LocalFree(sid);
    if ((text == L"S-1-1-0" || text == L"S-1-5-32-545" || text == L"S-1-5-11") && (ace->Mask & write)) others = true;
  }
  LocalFree(sd);
  return others;
}

TEST_F(Install, OnlyAdministratorsMayChangeTheBackupFolder) {
  // Made beforehand by a user, open to everyone.
  Scene s(L"acl", "example.zip");
  std::filesystem::create_directories(FsPath(s.backup()));
  PSECURITY_DESCRIPTOR open = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, &open, nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  PACL everyone = nullptr;
  GetSecurityDescriptorDacl(open, &present, &everyone, &defaulted);
  std::wstring backup = s.backup();
  ASSERT_EQ(SetNamedSecurityInfoW(backup.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, everyone,
                                  nullptr),
            ERROR_SUCCESS);
  LocalFree(open);
  ASSERT_TRUE(OthersMayWrite(backup)) << "the prefix keeps no access list that the test could see";
  s.Run();
  EXPECT_EQ(OutcomeOf(s.result), Outcome::Success);
  EXPECT_FALSE(OthersMayWrite(backup));
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new ComEnvironment);
  return RUN_ALL_TESTS();
}
