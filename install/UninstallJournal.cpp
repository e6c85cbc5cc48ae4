#include "install/UninstallJournal.h"

#include "install/JournalLossless.h"
#include "support/TextFormat.h"

void UninstallJournal::ToSink(const std::wstring& line) const {
  if (!sink) return;
  if (held) waiting.push_back(line);
  else sink->Write(line);
}

void UninstallJournal::Append(const std::wstring& line) {
  lines.push_back(JournalField(line));
  ToSink(lines.back());
}

void UninstallJournal::Annotate(const JournalAnnotation& annotation) const { ToSink(FormatAnnotation(annotation)); }

void UninstallJournal::ReleaseSink() {
  held = false;
  for (const std::wstring& line : waiting) ToSink(line);
  waiting.clear();
}

void UninstallJournal::DropSink() {
  sink = nullptr;
  held = false;
  waiting.clear();
}

void UninstallJournal::EndStage() const {
  if (sink && !held) sink->Flush();
}

void UninstallJournal::EndSection() const {
  if (!sink || held) return;
  sink->Write(FormatAnnotation({AnnotationKind::End}));
  sink->Flush();
}

std::string UninstallJournal::FileBytes(AnsiEncoder encode) const {
  std::string bytes;
  for (const std::wstring& line : lines) {
    bytes += encode(line);
    bytes += "\r\n";
  }
  return bytes;
}

std::wstring JournalProgramLine(const std::wstring& productName, const std::wstring& version,
                                const std::wstring& windows) {
  return FormatRecord(MakeRecord(RecordKind::Program, L"", L"",
                                 FormatStr(L"%s [Version=%s,  Windows=%s]", {productName, version, windows})));
}

std::wstring JournalSourceLine(const std::wstring& setupProgram) {
  return FormatRecord(MakeRecord(RecordKind::Source, setupProgram));
}

std::wstring JournalDestinationLine(const std::wstring& backupFolder) {
  return FormatRecord(MakeRecord(RecordKind::Destination, backupFolder));
}

std::wstring RmDirRecord(const std::wstring& folder) { return FormatRecord(MakeRecord(RecordKind::RmDir, folder)); }

std::wstring DeleteRecord(const std::wstring& file) { return FormatRecord(MakeRecord(RecordKind::Delete, file)); }

std::wstring MoveRecord(const std::wstring& targetFile, const std::wstring& backupFile) {
  return FormatRecord(MakeRecord(RecordKind::Move, targetFile, backupFile));
}

std::wstring ZipErrorRecord(uint32_t code, const std::wstring& targetFile) {
  return FormatRecord(MakeRecord(RecordKind::ZipError, targetFile, L"", L"", code));
}

std::wstring RenDelRecord(const std::wstring& file) { return FormatRecord(MakeRecord(RecordKind::RenDel, file)); }

std::wstring ErrorCopyUninstallRecord(const std::wstring& errorText, const std::wstring& targetFile,
                                      const std::wstring& sourceFile) {
  return FormatRecord(MakeRecord(RecordKind::ErrorCopyUninstall, targetFile, sourceFile, errorText));
}

std::wstring DelRegValueRecord(const std::wstring& keyAndValueName) {
  return FormatRecord(MakeRecord(RecordKind::DelRegValue, keyAndValueName));
}

std::wstring DelRegKeyRecord(const std::wstring& key) { return FormatRecord(MakeRecord(RecordKind::DelRegKey, key)); }

std::wstring CreateErrorRecord(uint32_t code, const std::wstring& path) {
  return FormatRecord(MakeRecord(RecordKind::CreateErrorCode, path, L"", L"", code));
}

std::wstring CreateErrorTextRecord(const std::wstring& errorText, const std::wstring& path) {
  return FormatRecord(MakeRecord(RecordKind::CreateErrorText, path, L"", errorText));
}

std::wstring WithTrailingDelimiter(const std::wstring& path) {
  if (path.empty() || path.back() == L'\\') return path;
  return path + L'\\';
}

EntryNameParts SplitEntryName(const std::wstring& name) {
  const size_t cut = name.rfind(L'\\');
  if (cut == std::wstring::npos) return {L"", name};
  return {name.substr(0, cut + 1), name.substr(cut + 1)};
}

std::wstring ParentFolder(const std::wstring& folder) {
  std::wstring parent = folder;
  if (!parent.empty() && parent.back() == L'\\') parent.pop_back();
  const size_t cut = parent.rfind(L'\\');
  return cut == std::wstring::npos ? std::wstring() : parent.substr(0, cut + 1);
}
