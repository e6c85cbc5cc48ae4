#include <windows.h>

#include "platform/FileExistence.h"
#include "install/Uninstaller.h"
#include "support/DebugLog.h"
#include "support/ErrorText.h"
#include "support/MyRegistryIO.h"
#include "support/SetupConfig.h"

bool InstallUninstaller(const InstallRun& run) {
  PumpOnExit pumpOnExit(run);
  const std::wstring source = run.setupFolder + product::uninstallerFileName;
  const std::wstring uninstallerPath =
      WithTrailingDelimiter(WithTrailingDelimiter(run.targetFolder) + run.uninstallDirName) + product::uninstallerFileName;

  if (FileExists(uninstallerPath)) {
    // An uninstaller of an earlier installation: renamed first, so that one in use still
    // makes way; neither result matters, the copy below decides.
    const std::wstring renamed = uninstallerPath + L".ren";
    MoveFileW(uninstallerPath.c_str(), renamed.c_str());
    DeleteFileW(renamed.c_str());
  }
  if (!CopyFileW(source.c_str(), uninstallerPath.c_str(), FALSE)) {
    const std::wstring error = LastErrorText(true);
    LogProc(3, L"CopyFileW(\"" + source + L"\", \"" + uninstallerPath + L"\") : " + error);
    run.journal.Append(ErrorCopyUninstallRecord(error, uninstallerPath, source));
    return false;
  }
  run.journal.Append(RenDelRecord(uninstallerPath));

  const std::wstring key = WithTrailingDelimiter(product::uninstallKeyBase + run.uninstallDirName);
  // Each record states what was set out to write; a key that cannot be opened is not an error.
  RegWriteString(key, L"DisplayName", SetupConfig.productName);
  run.journal.Append(DelRegValueRecord(key + L"DisplayName"));
  // Quoted: the path holds blanks, and an unquoted one could start another program (CWE-428).
  RegWriteString(key, L"UninstallString", L"\"" + uninstallerPath + L"\"");
  run.journal.Append(DelRegValueRecord(key + L"UninstallString"));
  RegWriteString(key, L"Publisher", product::publisherNotice);
  run.journal.Append(DelRegValueRecord(key + L"Publisher"));
  run.journal.Append(DelRegKeyRecord(key));
  return true;
}
