#include "install/CreateDirWithJournal.h"

#include <algorithm>

namespace {
// "\..." (root of the current drive, UNC) or "X:..." (a drive letter).
bool IsAbsoluteFolder(const std::wstring& folder) {
  return (!folder.empty() && folder.front() == L'\\') || (folder.size() >= 2 && folder[1] == L':');
}
}  // namespace

std::optional<std::vector<std::wstring>> MissingFolderLevels(
    const std::wstring& folder, const std::function<bool(const std::wstring&)>& folderExists) {
  std::vector<std::wstring> levels;
  if (folderExists(folder)) return levels;
  levels.push_back(folder);
  std::wstring parent = ParentFolder(folder);
  while (!parent.empty() && !folderExists(parent)) {
    levels.push_back(parent);
    parent = ParentFolder(parent);
  }
  // The chain ran out without meeting an existing folder: the root itself is missing.
  if (parent.empty() && IsAbsoluteFolder(folder)) return std::nullopt;
  std::reverse(levels.begin(), levels.end());
  return levels;
}
