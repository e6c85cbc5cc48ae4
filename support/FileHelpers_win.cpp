#include <windows.h>
#include <shlobj.h>

#include "platform/ComPtr.h"
#include "platform/ProgramPath.h"
#include "support/DebugLog.h"
#include "support/FileHelpers.h"
#include "support/FileHelpers_win.h"
#include "support/SetupConfig.h"
#include "support/SetupSwitches.h"

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM) {
  if (message == BFFM_INITIALIZED)
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE,
                 reinterpret_cast<LPARAM>(SetupConfig.browseInitialPath.c_str()));
  return 0;
}

std::wstring BrowseForFolder(HWND owner, const std::wstring& title, const std::wstring& initialPath,
                             bool allowNewFolder) {
  SetupConfig.browseInitialPath = initialPath;

  wchar_t displayName[MAX_PATH + 1] = {};
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  if (!allowNewFolder) info.ulFlags |= BIF_NONEWFOLDERBUTTON;
  if (!initialPath.empty()) info.lpfn = BrowseCallback;

  CoTaskMemPtr<ITEMIDLIST> item(SHBrowseForFolderW(&info));
  if (!item) return {};
  wchar_t path[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListW(item.get(), path)) return {};
  path[MAX_PATH] = L'\0';
  return path;
}

bool InitSetupEnvironment() {
  // The setup's own switches are taken out first, so a /DIR or /LOG path holding "Debug" is no
  // DEBUG switch.
  CheckDebugParam(ProcessSetupSwitches().others);
  SetupConfig.sourceDir = SourceDirFromProgramPath(ProgramFileName());
  SetupNumberFormat.thousandSeparator = L'.';
  SetupNumberFormat.decimalSeparator = L',';
  return true;
}
