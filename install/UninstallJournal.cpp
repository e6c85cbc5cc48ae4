#include "install/UninstallJournal.h"

#include "support/TextFormat.h"

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
  return FormatStr(L"Program=%s [Version=%s,  Windows=%s]", {productName, version, windows});
}

std::wstring JournalSourceLine(const std::wstring& setupProgram) { return L"Quelle=" + setupProgram; }

std::wstring JournalDestinationLine(const std::wstring& backupFolder) {
  return L"Destination=" + backupFolder;
}

std::wstring RmDirRecord(const std::wstring& folder) { return L"rmDir;" + folder; }

std::wstring DeleteRecord(const std::wstring& file) { return L"Delete;" + file; }

std::wstring MoveRecord(const std::wstring& targetFile, const std::wstring& backupFile) {
  return L"Move;" + targetFile + L";" + backupFile;
}

std::wstring ZipErrorRecord(uint32_t code, const std::wstring& targetFile) {
  return L"ZipError;" + std::to_wstring(code) + L";" + targetFile;
}

std::wstring RenDelRecord(const std::wstring& file) { return L"RenDel;" + file; }

std::wstring ErrorCopyUninstallRecord(const std::wstring& errorText, const std::wstring& targetFile,
                                      const std::wstring& sourceFile) {
  return L"ErrorCopyUninstall;" + errorText + L";" + targetFile + L";" + sourceFile;
}

std::wstring DelRegValueRecord(const std::wstring& keyAndValueName) {
  return L"DelRegValue;" + keyAndValueName;
}

std::wstring DelRegKeyRecord(const std::wstring& key) { return L"DelRegKey;" + key; }

std::wstring CreateErrorRecord(uint32_t code, const std::wstring& path) {
  return L"CreateError;" + std::to_wstring(code) + L";" + path;
}

std::wstring CreateErrorTextRecord(const std::wstring& errorText, const std::wstring& path) {
  return L"CreateError;" + errorText + L";" + path;
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
