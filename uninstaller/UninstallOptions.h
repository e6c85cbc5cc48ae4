// The uninstaller's command line. Switches are case-insensitive; a value may be quoted as a
// whole switch ("/LOG=C:\a b.log") or after the "=" (/LOG="C:\a b.log").
//   /S               no box and no window
//   /LOG="file"      log lines also go to this UTF-8 file
//   /JOURNAL="path"  the journal to undo: uninstall.dat itself or the folder that holds it
//   DEBUG, DEBUG=n   debug level of the log (read by the log itself)
// Internal, between the started program and its working copy in the temporary folder:
//   /ORIGIN="folder" the folder of the started uninstall.exe
//   /RESULT=n        inherited pipe handle for the outcome
//   /PARENT=n        process id of the started program (waited for before removing it)
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct UninstallOptions {
  bool silent = false;
  std::wstring logFile;
  std::wstring journal;
  std::wstring origin;  // set only in the working copy
  uint64_t resultHandle = 0;
  uint32_t parentProcessId = 0;
  bool helper() const { return !origin.empty(); }
};

// The options of args (without the program path), or nullopt with error naming the first switch
// that is unknown, malformed or given without its value.
std::optional<UninstallOptions> ParseUninstallOptions(const std::vector<std::wstring>& args,
                                                      std::wstring& error);

// The command line of the working copy: the original arguments' meaning plus the internal
// switches, each value quoted.
std::wstring HelperCommandLine(const std::wstring& helperExe, const UninstallOptions& options);
