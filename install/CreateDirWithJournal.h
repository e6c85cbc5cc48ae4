// CreateDirWithJournal: creates a folder with its missing parents and records each level it
// sets out to create as "rmDir;", outermost first, before creating it. The folder asked for is
// recorded even when it already exists; existing ancestors are never recorded.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "install/UninstallJournal.h"

// The levels that CreateDirWithJournal records and creates, outermost first, the folder
// itself last; empty when the folder exists. nullopt when the folder is absolute and none of
// its ancestors exists, not even the root (a drive or share that is not there): then nothing
// can be created and nothing is recorded. For a relative folder the empty parent is the
// current folder, which exists.
std::optional<std::vector<std::wstring>> MissingFolderLevels(
    const std::wstring& folder, const std::function<bool(const std::wstring&)>& folderExists);

#ifdef _WIN32
// folder ends with "\"; journal may be null (no records). True when the folder existed or was
// created; false, with nothing recorded, for a folder whose drive or share is missing. madeHere,
// when given, tells whether this call created the folder itself (so it is empty but for what
// others put in since).
bool CreateDirWithJournal(const std::wstring& folder, UninstallJournal* journal, bool* madeHere = nullptr);
#endif
