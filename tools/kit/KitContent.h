// The content folder of a distribution: every folder and file below it as an archive entry,
// with the names checked so that the setup can install each one where its name says.
#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/kit/ToolFiles.h"

struct KitEntry {
  std::string name;  // UTF-8, "/" separators, folders end with "/"
  std::filesystem::path source;
  bool isDirectory = false;
  uint64_t size = 0;
};

// Why the setup could not install an entry of that relative name ("/" separators, a folder's
// name ends with "/"), or nullopt when it can: a name the setup refuses, one that becomes unsafe
// in its best-fit form under code page 1250, 1252 or 932, a character Windows refuses in names
// (a "\" is one inside a name on other systems), or a segment longer than 255 characters.
std::optional<std::string> RefusalOfName(const std::wstring& name);

// The key under which Windows sees two names as the same file (letter case folded).
std::wstring FoldedName(const std::wstring& name);

// Every folder and file below root, sorted by their UTF-8 names (so each folder comes before
// its content). False with a message on the first entry that cannot be shipped: a link or
// reparse point, anything but a folder or regular file, a refused name, a name that is not
// valid text, two names Windows would take for one file.
bool CollectContent(const std::filesystem::path& root, std::vector<KitEntry>& entries, std::string& error);
