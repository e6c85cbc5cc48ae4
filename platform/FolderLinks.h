// Finds a link (junction, symbolic link, mount point) on the way from a trusted folder down to
// a path below it, so that an elevated program does not create, move or write through a link
// that someone planted in a folder ordinary users can write.
#pragma once
#include <cstdint>
#include <string>

struct FolderLinkCheck {
  bool linked = false;  // a level is a link, or its opened object lies elsewhere
  std::wstring level;   // the first such level, a folder path ending with "\"
};

// Opens each existing level of relative (folders separated by "\" or "/") below base, which
// ends with "\" and is not itself examined, as the object at that name, not what it points to.
// A level counts as a link when its handle carries the reparse-point attribute, or when the
// handle's final path is not the level's parent's final path plus its own name (Wine shows a
// Unix symbolic link that way only). The first level that does not exist ends the walk.
FolderLinkCheck FindFolderLink(const std::wstring& base, const std::wstring& relative);
