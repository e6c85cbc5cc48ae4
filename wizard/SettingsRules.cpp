#include "wizard/SettingsRules.h"

std::wstring DestinationAfterBrowse(const std::wstring& current, const std::wstring& chosen) {
  std::wstring result = chosen.empty() ? current : WithTrailingBackslash(chosen);
  if (result.size() == 3) result += L"Drivona2 Ostrauwen\\";
  return result;
}

std::wstring VolumeRootOf(const std::wstring& folder) {
  return folder.empty() ? std::wstring(L":\\") : std::wstring(1, folder[0]) + L":\\";
}
