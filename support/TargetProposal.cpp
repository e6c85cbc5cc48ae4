#include "support/TargetProposal.h"

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
