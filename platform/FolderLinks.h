// Finds a link (junction, symbolic link, mount point) on the way from a trusted folder down to
// a path below it, so that an elevated program does not create, move or write through a link
// that someone planted in a folder ordinary users can write.
#pragma once
#include <map>
#include <string>

#include "platform/Handles.h"

struct FolderLinkCheck {
  bool linked = false;  // a level is a link, or its opened object lies elsewhere
  std::wstring level;   // the first such level, a folder path ending with "\"
};

// Walks the levels below one base folder (ends with "\", trusted as it is). Each level is
// opened as the object at that name, not what it points to; it counts as a link when its handle
// carries the reparse-point attribute, or when the handle's final path is not the parent's
// final path plus the level's own name (Wine shows a Unix symbolic link only that way). A level
// found sound stays open without delete sharing until the guard ends, so it cannot be renamed
// away and replaced by a link meanwhile, and is not examined again.
class FolderLinkGuard {
 public:
  explicit FolderLinkGuard(std::wstring base);
  FolderLinkGuard(const FolderLinkGuard&) = delete;
  FolderLinkGuard& operator=(const FolderLinkGuard&) = delete;

  // The levels of relative (folders separated by "\" or "/"); the first level that does not
  // exist ends the walk, since the caller then creates it as a plain folder.
  FolderLinkCheck Check(const std::wstring& relative);

 private:
  struct Level {
    unique_handle handle;
    std::wstring finalPath;
  };
  std::wstring base;
  std::wstring baseFinal;             // empty until a check finds the base
  std::map<std::wstring, Level> held;  // by the level's path in upper case
};
