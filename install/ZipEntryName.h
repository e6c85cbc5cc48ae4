// Entry-name safety: whether an archive entry's name can be written below a target folder
// without leaving it. Used by the archive component before it writes, and by the install run
// before it creates folders or moves files for an entry.
#pragma once
#include <functional>
#include <string>

// True when the name (either "\" or "/" as separator; a trailing separator marks a folder entry)
// is a plain relative path: not empty, not absolute or UNC, no drive letter and no ":" stream,
// no "." or ".." segment, no empty segment inside, no segment ending in "." or " " (Windows
// strips those, so ".. " would become ".."), no control character, and no segment naming a
// DOS device (CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$), also not with an extension.
bool IsSafeEntryName(const std::wstring& name);

// The text as a reader of the ANSI journal sees it: converted to the code page in force at run
// time and widened back (the platform's conversion on Windows, a table in tests).
using AnsiFormFn = std::function<std::wstring(const std::wstring&)>;

// True when the name is safe (IsSafeEntryName) and stays so in its ANSI form: that form passes
// the same check and holds no more separators than the name. Best fit turns fullwidth "．",
// "＼" and "／" into ".", "\" and "/", so such a name would read as another path in the
// journal; letters that best fit merely simplifies ("Ā" to "A") are allowed.
bool IsSafeEntryNameInAnsi(const std::wstring& name, const AnsiFormFn& ansiForm);
