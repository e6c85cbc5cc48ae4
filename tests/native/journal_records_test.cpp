// The journal's record kinds: every kind written and read back the same, "Move;" split where the
// backup folder starts, and no field able to break a line.
#include <gtest/gtest.h>

#include "install/JournalRecords.h"
#include "install/UninstallJournal.h"

namespace {
const std::wstring kBackup = L"D:\\Spiele\\Drivona 2\\Uninstall_Drivona2 Ostrauwen V1.2\\";
}

TEST(JournalRecords, EveryKindReadsBackAsWritten) {
  const std::wstring lines[] = {
      JournalProgramLine(L"Drivona2 Ostrauwen Version 1.2", L"1.0.2.41", L"Windows 7 (64-Bit)"),
      JournalSourceLine(L"E:\\Ostrauwen\\Setup.exe"),
      JournalDestinationLine(kBackup),
      RmDirRecord(L"D:\\Spiele\\Drivona 2\\maps\\"),
      DeleteRecord(L"D:\\Spiele\\Drivona 2\\a;b.cfg"),
      MoveRecord(L"D:\\Spiele\\Drivona 2\\Vehicles\\bus.cfg", kBackup + L"Vehicles\\bus.cfg"),
      // ";" followed by the backup folder inside the target's own name: the lengths decide.
      MoveRecord(L"D:\\Spiele\\Drivona 2\\x;" + kBackup + L"y.cfg", kBackup + L"x;" + kBackup + L"y.cfg"),
      ZipErrorRecord(4294967295u, L"D:\\Spiele\\Drivona 2\\x;y"),
      RenDelRecord(kBackup + L"uninstall.exe"),
      ErrorCopyUninstallRecord(L"2, Das System kann die Datei nicht finden.", kBackup + L"uninstall.exe",
                               L"E:\\a;b\\uninstall.exe"),
      DelRegValueRecord(L"\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\\\InstallPath"),
      DelRegKeyRecord(L"\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\\\"),
      CreateErrorRecord(2, L"D:\\Spiele\\Drivona 2\\Ostrauwen-Handbuch.pdf"),
      CreateErrorTextRecord(L"5, Zugriff verweigert", L"C:\\Menu\\Web.URL"),
  };
  for (const std::wstring& line : lines) {
    const auto record = ParseRecordLine(line, kBackup);
    ASSERT_TRUE(record) << line;
    EXPECT_EQ(FormatRecord(*record), line);
  }
  const auto move = ParseRecordLine(lines[6], kBackup);
  EXPECT_EQ(move->path, L"D:\\Spiele\\Drivona 2\\x;" + kBackup + L"y.cfg");
  const auto copy = ParseRecordLine(lines[9], kBackup);
  EXPECT_EQ(copy->path, kBackup + L"uninstall.exe");
  EXPECT_EQ(copy->second, L"E:\\a;b\\uninstall.exe");
  EXPECT_EQ(ParseRecordLine(lines[12], kBackup)->kind, RecordKind::CreateErrorCode);
  EXPECT_EQ(ParseRecordLine(lines[13], kBackup)->kind, RecordKind::CreateErrorText);
}

TEST(JournalRecords, ControlCharactersCannotForgeALine) {
  // An archive entry named so, or an InstallLocation holding a line break.
  const std::wstring forged = ZipErrorRecord(123, L"D:\\T\\x\r\nDelete;C:\\evil\\victim.txt");
  EXPECT_EQ(forged, L"ZipError;123;D:\\T\\x??Delete;C:\\evil\\victim.txt");
  EXPECT_EQ(MoveRecord(L"a\tb", L"c\x7F"), L"Move;a?b;c?");
  EXPECT_EQ(JournalSourceLine(std::wstring(L"E:\\S\0x", 6)), L"Quelle=E:\\S?x");
  UninstallJournal journal;
  journal.Append(L"Delete;x\ny");
  EXPECT_EQ(journal.Lines().back(), L"Delete;x?y");
  EXPECT_EQ(journal.FileBytes(ToWindows1252), "Delete;x?y\r\n");
}

TEST(JournalRecords, RefusedLines) {
  const struct {
    std::wstring line;
    RecordParseError error;
  } cases[] = {
      {L"", RecordParseError::Empty},
      {std::wstring(kMaxRecordChars + 1, L'x'), RecordParseError::TooLong},
      {L"Delete;C:\\a\rb", RecordParseError::ControlCharacter},
      {std::wstring(L"Delete;C:\\a\0b", 13), RecordParseError::ControlCharacter},
      {L"Copy;C:\\a", RecordParseError::UnknownKind},
      {L"delete;C:\\a", RecordParseError::UnknownKind},
      {L"Delete;", RecordParseError::BadField},
      {L"ZipError;12a;C:\\a", RecordParseError::BadField},
      {L"ZipError;4294967296;C:\\a", RecordParseError::BadField},
      {L"ZipError;5", RecordParseError::BadField},
      {L"Move;C:\\a", RecordParseError::BadField},
      {L"Move;C:\\a;C:\\elsewhere\\a", RecordParseError::BadField},  // backup not in the backup folder
  };
  for (const auto& c : cases) {
    RecordParseError error = RecordParseError::None;
    EXPECT_FALSE(ParseRecordLine(c.line, kBackup, &error)) << c.line.substr(0, 40);
    EXPECT_EQ(error, c.error) << c.line.substr(0, 40);
  }
}

TEST(JournalRecords, Annotations) {
  const JournalAnnotation cases[] = {
      {AnnotationKind::Moved},
      {AnnotationKind::KeptEarlier},
      {AnnotationKind::MoveFailed, 0, 0, 5},
      {AnnotationKind::Written, 18446744073709551615ull, 133000000000000000ull, 0},
      {AnnotationKind::New},
      {AnnotationKind::Created},
      {AnnotationKind::Existed},
      {AnnotationKind::End},
  };
  for (const JournalAnnotation& a : cases) {
    const std::wstring line = FormatAnnotation(a);
    EXPECT_TRUE(IsAnnotationLine(line));
    EXPECT_EQ(ParseAnnotationLine(line), a) << line;
    EXPECT_FALSE(ParseRecordLine(line, kBackup)) << line;  // never taken for a record
  }
  EXPECT_EQ(FormatAnnotation(cases[3]), L"#Written;18446744073709551615;133000000000000000");
  for (const wchar_t* bad : {L"#Written;1", L"#Written;1;18446744073709551616", L"#Moved;1", L"#MoveFailed;x", L"#Other"})
    EXPECT_FALSE(ParseAnnotationLine(bad)) << bad;
}
