#include "wizard/SetupExitCode.h"

SetupExitCode ExitCodeFor(const InstallResult& result) {
  if (!result.finished) return SetupExitCode::JournalNotSaved;
  if (result.error) return SetupExitCode::RaisedError;
  if (result.success) return SetupExitCode::Installed;
  switch (result.failure) {
    case InstallFailure::DataFileMissing: return SetupExitCode::DataFileMissing;
    case InstallFailure::Extraction: return SetupExitCode::ExtractionFailed;
    case InstallFailure::None:
    case InstallFailure::Stage:
    case InstallFailure::Cancelled: break;
  }
  return SetupExitCode::StageFailed;
}
