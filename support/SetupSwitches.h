// Setup.exe's command line: the switches of the unattended installation, and what is left for
// the DEBUG scan of the log.
//   /SILENT        install without a window, outcome as the exit code
//   /DIR="folder"  target folder (absolute); else the proposed one
//   /NOBACKUP      replaced files are not backed up
//   /LOG="file"    every log line of the run also goes to this UTF-8 file
// Names are matched exactly, without regard to case; a value may be quoted after the "=" or
// the whole switch may be quoted.
#pragma once
#include <string>
#include <vector>

struct SetupSwitches {
  bool silent = false;
  bool noBackup = false;
  std::wstring targetDir;  // empty: not given
  std::wstring logFile;    // empty: not given
  // The arguments that are none of the switches above: the DEBUG scan sees only these.
  std::vector<std::wstring> others;
  // With /SILENT: the first argument that is unknown, malformed, repeated or whose value is not
  // acceptable (a /DIR that is not an absolute local or network folder). Empty when all are fine.
  // Without /SILENT unknown and malformed arguments are ignored, as they always were.
  std::wstring error;
};

// The arguments after the program path. Quotes group and are removed; a backslash is always
// a plain character, so /DIR="C:\Spiele\" keeps its closing quote's meaning.
std::vector<std::wstring> SplitSetupCommandLine(const std::wstring& commandLine);

SetupSwitches ParseSetupSwitches(const std::vector<std::wstring>& args);

// A folder the unattended setup may install into: "X:\..." or "\\server\share\...", no device
// or "\\?\" form, no "." or ".." segment, no empty segment, no segment ending in a blank or a
// dot, no control character and none of <>:"|?* beyond the drive's colon. "/" counts as "\".
bool IsAcceptableTargetDir(const std::wstring& dir);

#ifdef _WIN32
// The switches of the running process's own command line.
SetupSwitches ProcessSetupSwitches();
#endif
