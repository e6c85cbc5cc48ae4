#include <windows.h>

#include "support/MyRegistryIO.h"
#include "support/SteamLibrary.h"
#include "support/TargetProposal.h"

namespace {
constexpr const wchar_t* kHostEntry = L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Steam App 555010";
constexpr const wchar_t* kHostEntryWow = L"\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Steam App 555010";

std::optional<std::wstring> EnvironmentVariable(const wchar_t* name) {
  std::wstring buffer(4096, L'\0');
  const DWORD n = GetEnvironmentVariableW(name, buffer.data(), 4096);
  if (n == 0 || n >= 4096) return std::nullopt;
  buffer.resize(n);
  return buffer;
}
}  // namespace

std::wstring ProposeTargetFolder(const std::wstring& valueName, const std::wstring& subPath,
                                 const std::wstring& currentText) {
  return ProposeTarget(valueName, subPath, currentText).folder;
}

TargetProposal ProposeTarget(const std::wstring& valueName, const std::wstring& subPath, const std::wstring& currentText) {
  std::wstring location = RegReadString(kHostEntry, valueName);
  if (location.empty()) location = RegReadString(kHostEntryWow, valueName);
  if (location.empty()) location = FindGameInSteamLibraries();
  return {ProposedDestination(location, EnvironmentVariable(L"Programfiles"), currentText, subPath), !location.empty()};
}
