// The shortcut stage: the product's Start-menu folder with its six entries, each journaled.
#include <windows.h>

#include "install/CreateDirWithJournal.h"
#include "platform/FileExistence.h"
#include "install/MyCreateShortCut.h"
#include "support/Language.h"
#include "support/SetupConfig.h"
#include "support/TextFormat.h"

namespace {
struct Document {
  int32_t id;
  const wchar_t* linkName;
  const wchar_t* fileName;
};
constexpr Document kDocuments[] = {
    {986, L"%s PDF Handbuch ansehen.lnk", L"Ostrauwen-Handbuch.pdf"},
    {987, L"%s PDF-Streckenplan Tag ansehen.lnk", L"Ostrauwen_Liniennetzplan_Tag.pdf"},
    {988, L"%s PDF-Streckenplan Nacht ansehen.lnk", L"Ostrauwen_Liniennetzplan_Nacht.pdf"},
};
}  // namespace

bool CreateDocumentShortcut(const std::wstring& folder, const std::wstring& fileName, const std::wstring& linkName,
                            UninstallJournal& journal) {
  const std::wstring path = WithTrailingDelimiter(folder) + fileName;
  if (!fileName.empty() && FileExists(path)) {
    CreateShortCutJournaled(path, linkName, slFolder, SetupConfig.startMenuDir, L"", L"", L"", journal);
  } else {
    // The existence test left the reason (2 or 3 for a missing file) as the last error.
    journal.Append(CreateErrorRecord(GetLastError(), path));
  }
  return true;
}

bool CreateShortcuts(const InstallRun& run) {
  PumpOnExit pumpOnExit(run);
  const std::wstring& menu = SetupConfig.startMenuDir;
  if (menu.empty()) {
    // The Start menu's folder could not be found: relative link paths would land in the
    // current folder and the ".URL" in the Windows folder. Nothing is written; the stage fails.
    run.journal.Append(CreateErrorRecord(ERROR_PATH_NOT_FOUND, L""));
    return false;
  }
  CreateDirWithJournal(menu, &run.journal);  // a missing folder shows in the writes below
  run.Pump();
  CreateShortCutJournaled(run.targetFolder + run.uninstallDirName + L"Uninstall.exe", SetupConfig.uninstallShortcutName,
                          slFolder, menu, L"", L"", L"", run.journal);
  CreateInternetShortCutJournaled(menu + SetupConfig.websiteShortcutName, product::webAddress, &run.journal);
  for (const Document& document : kDocuments) {
    // Formatted with the product's display text, which equals productName.
    const std::wstring linkName = FormatStr(GetLngString(document.id, document.linkName), {product::name});
    CreateDocumentShortcut(run.targetFolder, document.fileName, linkName, run.journal);
  }
  CreateShortCutJournaled(run.targetFolder + L"Addons\\Ostrauwen\\", kTimetableFolderLinkName, slFolder, menu, L"",
                          L"", L"", run.journal);
  return true;
}
