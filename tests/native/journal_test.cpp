// The portable part of the install engine: journal records and file bytes, path splitting,
// the folder levels that CreateDirWithJournal records, progress rounding and the link names.
#include <gtest/gtest.h>

#include <set>

#include "install/CreateDirWithJournal.h"
#include "install/InstallRules.h"
#include "install/MyCreateShortCut.h"
#include "install/UninstallJournal.h"
#include "support/Language.h"
#include "support/SetupConfig.h"

TEST(Journal, RecordTexts) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {JournalProgramLine(L"Drivona2 Ostrauwen Version 1.2", L"1.0.2.41",
                          L"Windows 7 Professional Service Pack 1 (Build 6.1.7601) (64-Bit)"),
       L"Program=Drivona2 Ostrauwen Version 1.2 [Version=1.0.2.41,  Windows=Windows 7 Professional Service Pack 1 "
       L"(Build 6.1.7601) (64-Bit)]"},
      {JournalProgramLine(L"P", L"", L""), L"Program=P [Version=,  Windows=]"},
      {JournalSourceLine(L"E:\\Ostrauwen\\Setup.exe"), L"Quelle=E:\\Ostrauwen\\Setup.exe"},
      {JournalDestinationLine(L"D:\\D2\\U\\"), L"Destination=D:\\D2\\U\\"},
      {RmDirRecord(L"D:\\D2\\maps\\"), L"rmDir;D:\\D2\\maps\\"},
      {DeleteRecord(L"D:\\D2\\a;b.cfg"), L"Delete;D:\\D2\\a;b.cfg"},  // ";" unchanged
      {MoveRecord(L"D:\\D2\\bus.cfg", L"D:\\D2\\U\\bus.cfg"), L"Move;D:\\D2\\bus.cfg;D:\\D2\\U\\bus.cfg"},
      {ZipErrorRecord(4294967295u, L"D:\\D2\\x"), L"ZipError;4294967295;D:\\D2\\x"},
      {RenDelRecord(L"D:\\U\\uninstall.exe"), L"RenDel;D:\\U\\uninstall.exe"},
      {ErrorCopyUninstallRecord(L"2, Datei fehlt", L"D:\\U\\uninstall.exe", L"E:\\uninstall.exe"),
       L"ErrorCopyUninstall;2, Datei fehlt;D:\\U\\uninstall.exe;E:\\uninstall.exe"},
      {DelRegValueRecord(L"\\SOFTWARE\\Q\\\\InstallPath"), L"DelRegValue;\\SOFTWARE\\Q\\\\InstallPath"},
      {DelRegKeyRecord(L"\\SOFTWARE\\Q\\\\"), L"DelRegKey;\\SOFTWARE\\Q\\\\"},
      {CreateErrorRecord(2, L"D:\\D2\\Ostrauwen-Handbuch.pdf"), L"CreateError;2;D:\\D2\\Ostrauwen-Handbuch.pdf"},
      {CreateErrorTextRecord(L"5, Zugriff verweigert", L""), L"CreateError;5, Zugriff verweigert;"},
  };
  for (const auto& [actual, expected] : cases) EXPECT_EQ(actual, expected);
  EXPECT_EQ(std::wstring(kPublisherKeyRecord), L"DelRegKey;\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\");
}

TEST(Journal, FileBytesEndEveryLineWithCrLfInTheAnsiCodePage) {
  UninstallJournal journal;
  EXPECT_EQ(journal.FileBytes(ToWindows1252), "");
  journal.Append(L"Delete;C:\\Verzeichnis mit Fahr- und Umlaufpläne öffnen.lnk");
  journal.Append(L"");
  journal.Append(L"€ ß \u4E2D");  // a character that code page 1252 lacks becomes "?"
  EXPECT_EQ(journal.FileBytes(ToWindows1252), std::string("Delete;C:\\Verzeichnis mit Fahr- und Umlaufpl\xE4ne \xF6""ffnen.lnk\r\n"
                                             "\r\n"
                                             "\x80 \xDF ?\r\n"));
}

TEST(Journal, PathSplitting) {
  const struct {
    std::wstring name, folder, file;
  } entries[] = {
      {L"maps\\Ostrauwen\\global.cfg", L"maps\\Ostrauwen\\", L"global.cfg"},
      {L"readme.txt", L"", L"readme.txt"},
      {L"Addons\\", L"Addons\\", L""},
      {L"", L"", L""},
  };
  for (const auto& e : entries) {
    const EntryNameParts parts = SplitEntryName(e.name);
    EXPECT_EQ(parts.relativeFolder, e.folder) << e.name;
    EXPECT_EQ(parts.fileName, e.file) << e.name;
  }
  const std::pair<std::wstring, std::wstring> parents[] = {
      {L"D:\\Spiele\\Drivona 2\\maps\\", L"D:\\Spiele\\Drivona 2\\"},
      {L"D:\\Spiele", L"D:\\"},
      {L"D:\\", L""},
      {L"Quellmark Media\\", L""},
      {L"\\\\server\\share\\", L"\\\\server\\"},
  };
  for (const auto& [folder, parent] : parents) EXPECT_EQ(ParentFolder(folder), parent) << folder;
  EXPECT_EQ(WithTrailingDelimiter(L"C:\\a"), L"C:\\a\\");
  EXPECT_EQ(WithTrailingDelimiter(L"C:\\a\\"), L"C:\\a\\");
  EXPECT_EQ(WithTrailingDelimiter(L""), L"");
}

TEST(Journal, FolderLevelsOutermostFirstAndNoneBelowAMissingRoot) {
  const std::set<std::wstring> existing = {L"D:\\", L"D:\\Spiele\\", L"\\\\srv\\share\\"};
  const auto exists = [&](const std::wstring& f) { return existing.count(f) > 0; };
  using Levels = std::vector<std::wstring>;
  EXPECT_EQ(MissingFolderLevels(L"D:\\Spiele\\", exists), Levels{});
  EXPECT_EQ(MissingFolderLevels(L"D:\\a\\b\\", exists), (Levels{L"D:\\a\\", L"D:\\a\\b\\"}));
  EXPECT_EQ(MissingFolderLevels(L"D:\\Spiele\\x\\", exists), (Levels{L"D:\\Spiele\\x\\"}));
  EXPECT_EQ(MissingFolderLevels(L"\\\\srv\\share\\x\\", exists), (Levels{L"\\\\srv\\share\\x\\"}));
  // A relative folder grows from the current folder.
  EXPECT_EQ(MissingFolderLevels(L"Quellmark Media\\Drivona2 Ostrauwen\\", exists),
            (Levels{L"Quellmark Media\\", L"Quellmark Media\\Drivona2 Ostrauwen\\"}));
  // No existing ancestor at all: a missing drive or share.
  EXPECT_EQ(MissingFolderLevels(L"Q:\\Spiele\\Drivona 2\\", exists), std::nullopt);
  EXPECT_EQ(MissingFolderLevels(L"Q:\\", exists), std::nullopt);
  EXPECT_EQ(MissingFolderLevels(L"\\\\srv\\other\\x\\", exists), std::nullopt);
}

TEST(InstallRules, ProgressRoundsHalvesToEven) {
  const struct {
    int count;
    std::vector<int> positions;
  } cases[] = {
      {8, {0, 12, 25, 38, 50, 62, 75, 88}},
      {5, {0, 20, 40, 60, 80}},
      {3, {0, 33, 67}},
      {200, {0, 0, 1, 2, 2, 2}},  // 0.5 -> 0, 1.5 -> 2, 2.5 -> 2
      {1, {0}},
  };
  for (const auto& c : cases)
    for (size_t i = 0; i < c.positions.size(); ++i)
      EXPECT_EQ(ProgressPosition(static_cast<int>(i), c.count), c.positions[i]) << i << " of " << c.count;
  EXPECT_EQ(ProgressPosition(0, 0), 0);
}

TEST(Shortcuts, LinkAndInternetShortcutNames) {
  const struct {
    std::wstring linkName, target, expected;
  } links[] = {
      {L"Drivona2 Ostrauwen Version 1.2 entfernen.lnk", L"", L"Drivona2 Ostrauwen Version 1.2 entfernen.lnk"},
      {L"Verzeichnis mit Fahr- und Umlaufpläne öffnen", L"", L"Verzeichnis mit Fahr- und Umlaufpläne öffnen.lnk"},
      // A translated text without ".lnk": the last "." is the one in "1.2".
      {L"Drivona2 Ostrauwen Version 1.2 entfernen", L"", L"Drivona2 Ostrauwen Version 1.lnk"},
      {L"", L"C:\\Spiele\\D2\\Uninstall.exe", L"Uninstall.lnk"},
      {L"", L"C:\\Spiele\\D2.x\\Addons\\", L".lnk"},  // a folder target: no name, no extension
      {L"sub\\name.txt", L"", L"name.lnk"},
  };
  for (const auto& l : links) EXPECT_EQ(LinkFileName(l.linkName, l.target), l.expected) << l.linkName;
  EXPECT_EQ(ChangeFileExt(L"C:\\Menu\\Quellmark Media Webseite besuchen.url", L".URL"),
            L"C:\\Menu\\Quellmark Media Webseite besuchen.URL");
  EXPECT_EQ(ChangeFileExt(L"C:\\a.b\\Webseite", L".URL"), L"C:\\a.b\\Webseite.URL");
  EXPECT_EQ(ExtractFilePath(L"C:\\D2\\Uninstall_Drivona2 Ostrauwen V1.2\\Uninstall.exe"),
            L"C:\\D2\\Uninstall_Drivona2 Ostrauwen V1.2\\");
  EXPECT_EQ(ExtractFilePath(L"C:\\D2\\Addons\\Ostrauwen\\"), L"C:\\D2\\Addons\\Ostrauwen\\");
  EXPECT_EQ(ExtractFilePath(L"name"), L"");
}

TEST(Shortcuts, PrepareShortcutNamesFollowsTheStringTable) {
  const auto saved = LngStrings;
  SetupConfig.productName = product::name;
  LngStrings.clear();
  PrepareShortcutNames();
  EXPECT_EQ(SetupConfig.uninstallShortcutName, L"Drivona2 Ostrauwen Version 1.2 entfernen.lnk");
  EXPECT_EQ(SetupConfig.websiteShortcutName, L"Quellmark Media Webseite besuchen.url");
  LngStrings = {L"0982=Deinstalliere %s.lnk", L"0983=Besuchen Sie %s.URL"};
  PrepareShortcutNames();
  EXPECT_EQ(SetupConfig.uninstallShortcutName, L"Deinstalliere Drivona2 Ostrauwen Version 1.2.lnk");
  EXPECT_EQ(SetupConfig.websiteShortcutName, L"Besuchen Sie .URL");  // formatted with no arguments
  LngStrings = saved;
}
