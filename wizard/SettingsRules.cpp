#include "wizard/SettingsRules.h"

std::wstring WithTrailingBackslash(std::wstring folder) {
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder;
}

std::wstring ProposedDestination(const std::wstring& installLocation, const std::optional<std::wstring>& programFiles,
                                 const std::wstring& currentText, const std::wstring& subPath) {
  if (!installLocation.empty()) return WithTrailingBackslash(installLocation);
  const std::wstring base = programFiles ? WithTrailingBackslash(*programFiles) : currentText;
  return WithTrailingBackslash(base + subPath);
}

std::wstring DestinationAfterBrowse(const std::wstring& current, const std::wstring& chosen) {
  std::wstring result = chosen.empty() ? current : WithTrailingBackslash(chosen);
  if (result.size() == 3) result += L"Drivona2 Ostrauwen\\";
  return result;
}

std::wstring VolumeRootOf(const std::wstring& folder) {
  return folder.empty() ? std::wstring(L":\\") : std::wstring(1, folder[0]) + L":\\";
}
