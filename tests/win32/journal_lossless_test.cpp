// The lossless journal copy as the install run writes it under Wine, read back the way the
// uninstaller reads it: one section per run, what each change did, names the ANSI code page
// cannot hold, and a run that never reached its end.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "install/JournalFile_win.h"
#include "platform/AnsiText.h"
#include "install/JournalReader.h"
#include "install/uSetupInstall.h"
#include "support/SetupError.h"
#include "tests/win32/InstallTestSupport.h"

using namespace install_test;

namespace {

struct Installation {
  TestFolder root;
  std::wstring dist, target, backup;
  TestHost host;
  InstallRequest request;
  InstallResult result;

  explicit Installation(const std::wstring& name) : root(name) {
    dist = root + L"dist\\";
    target = root + L"Drivona 2\\";
    backup = target + product::uninstallDirName;
    const std::wstring programs = root + L"Start Menu\\Programs\\";
    for (const std::wstring& f : {dist, target, programs}) std::filesystem::create_directories(FsPath(f));
    WriteBytes(dist + L"uninstall.exe", "MZ test uninstaller");
    PrepareConfig(programs + product::startMenuSubPath);
    request.targetFolder = target;
    request.sourceFolder = dist;
  }
  void Run(const std::string& archive) {
    std::filesystem::copy_file(FsPath(FixtureArchive(archive)), FsPath(dist + L"Ostrauwen_1-2.dat"),
                               std::filesystem::copy_options::overwrite_existing);
    host.ClearRecords();
    SetupConfig.currentPage = wpProgress;
    result = InstallAddon(host, request, dist + L"Setup.exe");
    if (result.error) std::rethrow_exception(result.error);
  }
  std::optional<std::string> File(const wchar_t* name) const {
    if (!Exists(backup + name)) return std::nullopt;
    return ReadBytes(backup + name);
  }
  // Read as the uninstaller reads it: encoded by the platform's conversion (best fit), decoded
  // as code page 1252, which the harness pins.
  JournalReadResult Read() const {
    AnsiCodec codec = Windows1252Codec();
    codec.encode = [](std::wstring_view text) { return ToAnsiBytes(std::wstring(text)); };
    return ReadJournal(File(L"uninstall.dat"), File(L"uninstall.dat.utf8"), codec);
  }
};

BOOL WINAPI FailingWrite(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) {
  *written = 0;
  SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

const JournalEntry* FindEntry(const JournalSection& run, RecordKind kind, const std::wstring& path) {
  for (const JournalEntry& e : run.entries)
    if (e.record.kind == kind && e.record.path == path) return &e;
  return nullptr;
}

using LosslessJournal = InstallRunTest;

}  // namespace

TEST_F(LosslessJournal, EachRunAppendsASectionAndTheLastAgreesWithUninstallDat) {
  Installation s(L"lossless-two");
  WriteBytes(s.target + L"Vehicles\\bus.cfg", "alt");
  s.Run("example.zip");
  s.Run("names.zip");
  ASSERT_EQ(OutcomeOf(s.result), Outcome::Success);

  const JournalReadResult journal = s.Read();
  ASSERT_TRUE(journal.ok);
  EXPECT_TRUE(journal.problems.empty()) << std::string(journal.problems.front().text.begin(), journal.problems.front().text.end());
  ASSERT_EQ(journal.runs.size(), 2u);
  for (const JournalSection& run : journal.runs) {
    EXPECT_TRUE(run.complete && run.lossless);
    EXPECT_EQ(run.destination, s.backup);
  }
  // uninstall.dat holds the second run only, the lossless copy both.
  const auto first = journal.runs[0], second = journal.runs[1];
  const JournalEntry* bus = FindEntry(first, RecordKind::Move, s.target + L"Vehicles\\bus.cfg");
  ASSERT_NE(bus, nullptr);
  EXPECT_TRUE(bus->Has(AnnotationKind::Moved));
  ASSERT_TRUE(bus->Has(AnnotationKind::Written));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW((s.target + L"Vehicles\\bus.cfg").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(bus->Find(AnnotationKind::Written)->size, data.nFileSizeLow);
  EXPECT_EQ(bus->Find(AnnotationKind::Written)->time,
            (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime);
  EXPECT_TRUE(FindEntry(first, RecordKind::RmDir, s.backup)->Has(AnnotationKind::Created));
  EXPECT_TRUE(FindEntry(second, RecordKind::RmDir, s.backup)->Has(AnnotationKind::Existed));

  // The name code page 1252 cannot hold is exact in the copy; uninstall.dat has its best fit.
  const std::wstring odd = s.target + L"maps\\T\u0159eb\u00ED\u010D.cfg";
  ASSERT_TRUE(Exists(odd));
  const JournalEntry* oddEntry = FindEntry(second, RecordKind::Delete, odd);
  ASSERT_NE(oddEntry, nullptr);
  EXPECT_TRUE(oddEntry->Has(AnnotationKind::Written));
  EXPECT_EQ(s.File(L"uninstall.dat")->find(ToAnsiBytes(L"Delete;" + odd)) != std::string::npos, true);
  EXPECT_NE(FindEntry(second, RecordKind::Delete, s.target + L"Fahrpl\u00E4ne\\"), nullptr);  // the folder entry
}

TEST_F(LosslessJournal, ARunThatNeverReachedItsEndStillTellsWhatItChanged) {
  Installation s(L"lossless-cut");
  WriteBytes(s.target + L"Vehicles\\bus.cfg", "alt");
  JournalWriteFile = FailingWrite;  // uninstall.dat cannot be saved: the run ends without it
  EXPECT_THROW(s.Run("example.zip"), SetupError);
  JournalWriteFile = WriteFile;
  EXPECT_FALSE(Exists(s.backup + L"uninstall.dat"));

  const JournalReadResult journal = s.Read();
  ASSERT_TRUE(journal.ok);
  ASSERT_EQ(journal.runs.size(), 1u);
  EXPECT_FALSE(journal.runs[0].complete);
  const JournalEntry* bus = FindEntry(journal.runs[0], RecordKind::Move, s.target + L"Vehicles\\bus.cfg");
  ASSERT_NE(bus, nullptr);
  EXPECT_TRUE(bus->Has(AnnotationKind::Moved));
  EXPECT_NE(FindEntry(journal.runs[0], RecordKind::RenDel, s.backup + L"uninstall.exe"), nullptr);
}

TEST_F(LosslessJournal, NotWrittenThroughALinkedBackupFolder) {
  Installation s(L"lossless-link");
  const std::wstring elsewhere = s.root + L"elsewhere\\";
  std::filesystem::create_directories(FsPath(elsewhere));
  std::wstring link = s.backup;
  link.pop_back();
  // Wine 8 answers CreateSymbolicLinkW with success but makes no link that leads anywhere.
  const bool made = CreateSymbolicLinkW(link.c_str(), elsewhere.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
  WriteBytes(s.backup + L"probe", "x");
  if (!made || !Exists(elsewhere + L"probe")) GTEST_SKIP() << "no working directory links here";
  s.Run("example.zip");
  EXPECT_FALSE(Exists(elsewhere + L"uninstall.dat.utf8"));
}
