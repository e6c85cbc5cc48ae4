// File and folder helpers around the settings step: size texts, the start-up probe and the
// folder browser.
#pragma once
#include <string>

// The process-wide number format of the size texts. It is fixed, not taken from the user's
// regional settings, so sizes always read the German way: 1.234,57.
struct NumberFormat {
  wchar_t thousandSeparator = L'.';
  wchar_t decimalSeparator = L',';
};
extern NumberFormat SetupNumberFormat;

// value with two decimals and thousands grouping in SetupNumberFormat ("%.2n").
std::wstring FormatNumber2(double value);

// Size text: word 0 "Byte", 1 "B"; base 0 steps of 1024 with "Ki", "Mi", ..., base 1 steps of
// 1000 with "K", "M", .... Another base or word gives empty text.
std::wstring FormatByteSize(int word, int base, double value);

// The folder of a program path with a trailing "\": "D:\Setup\setup.exe" -> "D:\Setup\".
std::wstring SourceDirFromProgramPath(const std::wstring& programPath);

#ifdef _WIN32
struct HWND__;  // HWND, without the Windows headers
// Shows the shell's folder browser, modal to owner (the wizard cannot be clicked under it);
// the chosen folder without a trailing "\", or empty text when the user cancels or picks an
// item that is not a file-system folder.
std::wstring BrowseForFolder(HWND__* owner, const std::wstring& title, const std::wstring& initialPath,
                             bool allowNewFolder);
// Start-up probe of the wizard window: DEBUG switch, sourceDir, number format. Always true.
bool InitSetupEnvironment();
#endif
