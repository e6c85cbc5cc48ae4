// What the wizard hands the install run, read once from the settings step when its Next is
// pressed, and what the run hands back. The run reads no control and sets no step counter: the
// wizard turns the result into its step counter, result label and buttons.
#pragma once
#include <exception>
#include <string>

struct InstallRequest {
  std::wstring targetFolder;  // LeDestination, ends with "\"
  std::wstring sourceFolder;  // leSource, ends with "\"
  bool saveFiles = true;      // cbSaveFiles: back up every file that would be overwritten
};

// Why a run did not succeed, for callers that report more than success or failure.
enum class InstallFailure {
  None,
  DataFileMissing,  // the data file is not in the source folder
  Extraction,       // the archive could not be read or an entry not installed safely
  Stage,            // the uninstaller could not be installed, or a stage returned false
  Cancelled,        // cancelRequested stopped the run
};

struct InstallResult {
  bool success = false;  // every stage done, the registry stage included
  InstallFailure failure = InstallFailure::None;
  // The final step saved the journal (or had nothing to save); false when saving it failed:
  // then no outcome is shown and error holds the save's error.
  bool finished = false;
  // An error raised on the way, after the final step ran: the wizard shows the outcome first,
  // then lets the error reach the application's default error box.
  std::exception_ptr error;
};
