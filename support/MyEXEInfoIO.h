// MyEXEInfoIO: the FileVersion of a program file's version record.
#pragma once
#include <string>

// FileVersion of the running program from the table "<language>04E4", e.g. "0409" ->
// StringFileInfo\040904E4\FileVersion; empty text when it cannot be read. withBitness appends
// " (32-Bit)", the product's own bitness.
std::wstring GetExeFileVersion(const std::wstring& language, bool withBitness);

// The same for any file.
std::wstring GetFileVersionOf(const std::wstring& fileName, const std::wstring& language,
                              bool withBitness);
