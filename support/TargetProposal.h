// The target folder the setup proposes, also the folder where the uninstaller looks for an
// installation when it is not started from one.
#pragma once
#include <optional>
#include <string>

// The folder text with one "\" at its end (none added when it already ends with one).
std::wstring WithTrailingBackslash(std::wstring folder);

// The proposed target: the host's install location when one was read; otherwise the Program
// Files folder (when the variable is set, else the field's current text) with the sub path.
std::wstring ProposedDestination(const std::wstring& installLocation, const std::optional<std::wstring>& programFiles,
                                 const std::wstring& currentText, const std::wstring& subPath);

#ifdef _WIN32
// ProposedDestination over what this machine says: the host's uninstall entry (plain path, then
// the WOW6432Node path) for valueName, else the host's folder in the store client's libraries
// (FindGameInSteamLibraries), else the "Programfiles" variable, then currentText.
std::wstring ProposeTargetFolder(const std::wstring& valueName, const std::wstring& subPath,
                                 const std::wstring& currentText);

// The same proposal, and whether it is the host application's own folder (its uninstall entry
// or a store library) rather than the Program Files fallback, which is never the game's folder.
struct TargetProposal {
  std::wstring folder;
  bool gameFound = false;
};
TargetProposal ProposeTarget(const std::wstring& valueName, const std::wstring& subPath, const std::wstring& currentText);
#endif
