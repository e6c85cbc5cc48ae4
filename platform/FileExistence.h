// Existence tests of files and folders, links followed: a link counts as what it points to.
// A failed test leaves the platform's last error as GetFileAttributesW set it (2 or 3 for a
// missing file or folder), which the shortcut stage records.
#pragma once
#include <string>

bool FileExists(const std::wstring& path);       // a file, not a folder
bool DirectoryExists(const std::wstring& path);  // a folder
// True when path itself (not its target) is a link, junction or other reparse point.
bool IsReparsePoint(const std::wstring& path);
// True when the volume of an absolute drive path ("D:\...") is a network drive.
bool IsRemoteDrive(const std::wstring& path);
