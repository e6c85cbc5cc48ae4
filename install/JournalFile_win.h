// Saving the journal as uninstall.dat (Windows).
#pragma once
#include <windows.h>

#include <string>

#include "install/UninstallJournal.h"

// Writes the journal's bytes into "<fileName>.tmp" beside fileName and then replaces fileName
// with it in one step (MoveFileExW, MOVEFILE_REPLACE_EXISTING), so a failure while saving
// never leaves a truncated or empty file in place of a complete earlier one. Raises SetupError
// when the file cannot be created, written or put in place; the temporary file is removed then.
void SaveJournal(const UninstallJournal& journal, const std::wstring& fileName);

// The text in the process's ANSI code page by the platform's default conversion
// (WideCharToMultiByte, CP_ACP: best-fit or default characters where the code page lacks one).
std::string ToAnsiCodePage(const std::wstring& text);

// The write call SaveJournal uses; tests put a failing one in.
using JournalWriteFunction = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
extern JournalWriteFunction JournalWriteFile;
