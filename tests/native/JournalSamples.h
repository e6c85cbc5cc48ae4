// Journals as the setup writes them, for the reader and planner tests: one run's lines with the
// lossless copy's annotations, and the two files' bytes made from them.
#pragma once
#include <string>
#include <vector>

#include "install/JournalLossless.h"
#include "install/JournalRecords.h"
#include "install/UninstallJournal.h"

namespace samples {

inline const std::wstring kTarget = L"D:\\Spiele\\Drivona 2\\";
inline const std::wstring kBackup = kTarget + L"Uninstall_Drivona2 Ostrauwen V1.2\\";
inline const std::wstring kPrograms = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\";
inline const std::wstring kMenu = kPrograms + L"Quellmark Media\\Drivona2 Ostrauwen\\";
inline const std::wstring kEntryKey = L"\\SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Uninstall_Drivona2 Ostrauwen V1.2\\";

inline std::wstring A(AnnotationKind kind) { return FormatAnnotation({kind}); }
inline std::wstring Written(uint64_t size, uint64_t time) {
  return FormatAnnotation({AnnotationKind::Written, size, time, 0});
}

inline std::vector<std::wstring> Header(const std::wstring& backup = kBackup) {
  return {JournalProgramLine(L"Drivona2 Ostrauwen Version 1.2", L"1.0.2.41", L"Windows 7 (64-Bit)"),
          JournalSourceLine(L"E:\\Ostrauwen\\Setup.exe"), JournalDestinationLine(backup)};
}

// The stages after the archive: uninstaller, shortcuts, registry.
inline std::vector<std::wstring> Stages(bool menuCreated = true) {
  const std::wstring created = A(menuCreated ? AnnotationKind::Created : AnnotationKind::Existed);
  return {RenDelRecord(kBackup + L"uninstall.exe"),
          DelRegValueRecord(kEntryKey + L"DisplayName"),
          DelRegValueRecord(kEntryKey + L"UninstallString"),
          DelRegValueRecord(kEntryKey + L"Publisher"),
          DelRegKeyRecord(kEntryKey),
          RmDirRecord(kPrograms + L"Quellmark Media\\"), created,
          RmDirRecord(kMenu), created,
          DeleteRecord(kMenu + L"Drivona2 Ostrauwen Version 1.2 entfernen.lnk"),
          DeleteRecord(kMenu + L"Quellmark Media im Internet.URL"),
          DelRegValueRecord(L"\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\\\InstallPath"),
          DelRegKeyRecord(L"\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\\\"),
          L"DelRegKey;\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\"};
}

// The example installation: maps\Ostrauwen\ created with global.cfg, Vehicles\bus.cfg backed up.
inline std::vector<std::wstring> FirstRun() {
  std::vector<std::wstring> lines = Header();
  const std::vector<std::wstring> body = {
      RmDirRecord(kBackup), A(AnnotationKind::Created),
      RmDirRecord(kTarget + L"maps\\"), A(AnnotationKind::Created),
      RmDirRecord(kTarget + L"maps\\Ostrauwen\\"), A(AnnotationKind::Created),
      DeleteRecord(kTarget + L"maps\\Ostrauwen\\global.cfg"), Written(10, 100),
      MoveRecord(kTarget + L"Vehicles\\bus.cfg", kBackup + L"Vehicles\\bus.cfg"), A(AnnotationKind::Moved), Written(20, 200)};
  lines.insert(lines.end(), body.begin(), body.end());
  const auto stages = Stages();
  lines.insert(lines.end(), stages.begin(), stages.end());
  return lines;
}

// uninstall.dat for these lines: the records only, Windows-1252, CR LF.
inline std::string AnsiOf(const std::vector<std::wstring>& lines) {
  UninstallJournal journal;
  for (const std::wstring& line : lines)
    if (!IsAnnotationLine(line)) journal.Append(line);
  return journal.FileBytes(ToWindows1252);
}

inline std::string LosslessOf(const std::vector<std::wstring>& lines, bool complete = true) {
  return LosslessSectionBytes(lines, complete);
}

}  // namespace samples
