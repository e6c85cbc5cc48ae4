// What a test expects of a program that depends on the program's bitness, for both builds in
// one place. Every Windows test runs in a win64 prefix (Wine's defaults: Windows 7 SP1, build
// 6.1.7601, suite mask 0), so a 32-bit program runs there as a WOW64 process.
#pragma once

struct ProgramExpectations {
  // The "Programfiles" variable as the program sees it: a 32-bit process gets the x86 folder.
  const wchar_t* programFiles;
  // GetWindowsVersionsStr(true, true) in the prefix. IsWow64 is true for the 32-bit program on
  // 64-bit Windows; the 64-bit build answers as the product would there, so both say 64-Bit.
  const wchar_t* windowsText;
};

inline constexpr ProgramExpectations kPe32Program{L"C:\\Program Files (x86)",
                                                  L"Windows PE Service Pack 1 (Build 6.1.7601) (64-Bit)"};
inline constexpr ProgramExpectations kPe64Program{L"C:\\Program Files",
                                                  L"Windows PE Service Pack 1 (Build 6.1.7601) (64-Bit)"};

// The program of the build that the test belongs to (Setup.exe, or the test program itself).
#ifdef _WIN64
inline constexpr const ProgramExpectations& kBuiltProgram = kPe64Program;
#else
inline constexpr const ProgramExpectations& kBuiltProgram = kPe32Program;
#endif
