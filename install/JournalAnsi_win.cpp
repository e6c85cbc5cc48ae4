// The journal's text in the process's ANSI code page, by the platform's default conversion.
#include "install/JournalFile_win.h"
#include "platform/AnsiText.h"

std::string ToAnsiCodePage(const std::wstring& text) { return ToAnsiBytes(text); }
