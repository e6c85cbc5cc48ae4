// File and folder operations of the uninstaller that follow no reparse point: each path is
// opened with FILE_FLAG_OPEN_REPARSE_POINT, its kind is read from the opened handle, and
// deleting and renaming go through that same handle, so nothing can be swapped in between.
// The handle's final path tells where it really lies, whatever junction sits above it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Handles.h"

enum class EntryKind { Absent, File, Folder, ReparsePoint, InUse, Failed };

struct OpenedEntry {
  unique_handle handle;
  EntryKind kind = EntryKind::Absent;
  uint64_t size = 0;
  uint64_t lastWrite = 0;  // FILETIME as one number (100 ns since 1601, UTC)
  std::wstring finalPath;  // "C:\..." without the \\?\ prefix and a trailing "\"; empty when not opened
  DWORD error = 0;         // the system error when kind is InUse or Failed
};

// Opens path for deletion or renaming (DELETE access; readers and writers are still allowed
// while it is open). A folder is opened as such; a link or junction as itself.
OpenedEntry OpenEntry(const std::wstring& path);

// Where an opened handle really lies: "C:\..." without the \\?\ prefix; empty when unknown.
std::wstring FinalPathOf(HANDLE handle);

// The final path of an existing folder (its own reparse points followed), for the allowed areas.
std::wstring FinalFolderPath(const std::wstring& folder);

// Whether the opened folder holds nothing (its children are looked at below its final path).
bool FolderEmpty(const OpenedEntry& folder);

// Marks the opened entry for deletion; it goes when the handle closes. A folder that is not
// empty fails with ERROR_DIR_NOT_EMPTY. False with the system error in the last error.
bool DeleteOpened(OpenedEntry& entry);

// Renames the opened entry to newPath (a full path), replacing an existing file there when
// replace is true. False with the system error in the last error.
bool RenameOpened(OpenedEntry& entry, const std::wstring& newPath, bool replace);

// The folder of a path, with its trailing "\".
std::wstring FolderOf(const std::wstring& path);

// Reads a journal file of at most maxBytes; a link or folder in its place is not read.
enum class ReadResult { Read, Absent, TooLarge, NotAFile, Failed };
ReadResult ReadJournalFile(const std::wstring& path, size_t maxBytes, std::string& bytes);
// Writes a journal file anew (a link in its place is removed first, not followed).
bool WriteJournalFile(const std::wstring& path, const std::string& bytes);
