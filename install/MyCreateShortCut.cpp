#include "install/MyCreateShortCut.h"

#include "support/Language.h"
#include "support/SetupConfig.h"
#include "support/TextFormat.h"

namespace {
size_t LastDelimiter(const std::wstring& text, const wchar_t* delimiters) {
  return text.find_last_of(delimiters);
}
}  // namespace

std::wstring ChangeFileExt(const std::wstring& name, const std::wstring& extension) {
  const size_t at = LastDelimiter(name, L".\\:");
  if (at != std::wstring::npos && name[at] == L'.') return name.substr(0, at) + extension;
  return name + extension;
}

std::wstring ExtractFileName(const std::wstring& path) {
  const size_t at = LastDelimiter(path, L"\\:");
  return at == std::wstring::npos ? path : path.substr(at + 1);
}

std::wstring ExtractFilePath(const std::wstring& path) {
  const size_t at = LastDelimiter(path, L"\\:");
  return at == std::wstring::npos ? std::wstring() : path.substr(0, at + 1);
}

std::wstring LinkFileName(const std::wstring& linkName, const std::wstring& target) {
  return ExtractFileName(ChangeFileExt(linkName.empty() ? target : linkName, L".lnk"));
}

void PrepareShortcutNames() {
  SetupConfig.uninstallShortcutName = FormatStr(GetLngString(982, L"%s entfernen.lnk"), {SetupConfig.productName});
  SetupConfig.websiteShortcutName = FormatStr(GetLngString(983, L"Quellmark Media Webseite besuchen.url"), {});
}
