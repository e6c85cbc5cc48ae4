// Entry-name safety: whether an archive entry's name can be written below a target folder
// without leaving it. Used by the archive component before it writes, and by the install run
// before it creates folders or moves files for an entry.
#pragma once
#include <string>

// True when the name (either "\" or "/" as separator; a trailing separator marks a folder entry)
// is a plain relative path: not empty, not absolute or UNC, no drive letter and no ":" stream,
// no "." or ".." segment, no empty segment inside, no segment ending in "." or " " (Windows
// strips those, so ".. " would become ".."), no control character, and no segment naming a
// DOS device (CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$), also not with an extension.
bool IsSafeEntryName(const std::wstring& name);
