// The writers of shell links and internet shortcuts.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>

#include "install/MyCreateShortCut.h"
#include "platform/ComPtr.h"
#include "platform/Pump.h"
#include "support/DebugLog.h"
#include "support/ErrorText.h"
#include "support/MyRegistryIO.h"
#include "support/SetupError.h"
#include "support/TextFormat.h"

namespace {

[[noreturn]] void RaiseComError(HRESULT result, const std::wstring& call) {
  wchar_t code[16];
  std::swprintf(code, 16, L"0x%08X", static_cast<unsigned>(result));
  const std::wstring text = call + L": " + ErrorCodeText(static_cast<uint32_t>(result), true) + L" (" + code + L")";
  LogProc(3, text);
  throw SetupError(text);
}

// The shell folder of a registry-based location, with a trailing delimiter; empty when the
// value is missing or empty.
std::wstring RegistryBaseFolder(ShortCutLocation location) {
  const wchar_t* key = L"Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";
  const wchar_t* subKey = L"Shell Folders";
  const wchar_t* value = L"Desktop";
  switch (location) {
    case slQuickLaunch:
      key = L"Software\\MicroSoft\\Windows\\CurrentVersion\\GrpConv";
      subKey = L"MapGroups";
      value = L"Quick Launch";
      break;
    case slSendTo: value = L"SendTo"; break;
    case slStartMenu: value = L"Start Menu"; break;
    default: break;
  }
  RegistryKey registry(kRegistryFullAccess32);
  registry.SetRootKey(HKEY_CURRENT_USER);
  if (!registry.OpenKey(key, false) || !registry.OpenKey(subKey, false)) return {};
  return WithTrailingDelimiter(registry.ReadString(value));
}

}  // namespace

std::wstring CreateShortCut(const std::wstring& target, const std::wstring& linkName, ShortCutLocation location,
                            const std::wstring& folder, const std::wstring& workingFolder,
                            const std::wstring& arguments, const std::wstring& description) {
  ComPtr<IShellLinkW> link;
  const HRESULT created = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                           IID_IShellLinkW, link.put_void());
  if (FAILED(created) || !link) RaiseComError(created, L"CoCreateInstance(ShellLink)");
  PumpMessages();
  link->SetPath(target.c_str());
  PumpMessages();
  link->SetArguments(arguments.c_str());
  PumpMessages();
  link->SetDescription(description.c_str());
  PumpMessages();

  const std::wstring fileName = LinkFileName(linkName, target);
  std::wstring linkPath;
  if (location == slFolder) {
    linkPath = WithTrailingDelimiter(folder) + fileName;
  } else {
    const std::wstring base = RegistryBaseFolder(location);
    if (base.empty()) {
      LogProc(3, L"CreateShortCut: kein Ordner für Ort " + std::to_wstring(location) + L" (" + fileName + L")");
      return {};
    }
    linkPath = base + (folder.empty() ? std::wstring() : WithTrailingDelimiter(folder)) + fileName;
  }

  link->SetWorkingDirectory((workingFolder.empty() ? ExtractFilePath(target) : workingFolder).c_str());
  PumpMessages();
  ComPtr<IPersistFile> file = link.As<IPersistFile>();
  if (!file) RaiseComError(E_NOINTERFACE, L"QueryInterface(IPersistFile)");
  PumpMessages();
  // A failed save (folder missing, no rights) is not detected: the path is still returned.
  const HRESULT saved = file->Save(linkPath.c_str(), FALSE);
  if (FAILED(saved)) LogProc(3, L"IPersistFile::Save(\"" + linkPath + L"\") : " + ErrorCodeText(static_cast<uint32_t>(saved), true));
  PumpMessages();
  return linkPath;
}

std::wstring CreateShortCutJournaled(const std::wstring& target, const std::wstring& linkName,
                                     ShortCutLocation location, const std::wstring& folder,
                                     const std::wstring& workingFolder, const std::wstring& arguments,
                                     const std::wstring& description, UninstallJournal& journal) {
  const std::wstring linkPath = CreateShortCut(target, linkName, location, folder, workingFolder, arguments, description);
  if (!linkPath.empty())
    journal.Append(DeleteRecord(linkPath));
  else
    journal.Append(CreateErrorRecord(GetLastError(), linkPath));
  return linkPath;
}

std::wstring CreateInternetShortCut(const std::wstring& fileName, const std::wstring& address) {
  std::wstring filePath;
  const std::wstring name = ChangeFileExt(fileName, L".URL");
  if (!WritePrivateProfileStringW(L"InternetShortcut", L"URL", address.c_str(), name.c_str())) {
    LogProc(3, L"WritePrivateProfileStringW(\"" + name + L"\") : " + LastErrorText(true));
    throw SetupError(FormatStr(L"In %s kann nicht geschrieben werden", {name}));
  }
  filePath = name;
  PumpMessages();
  return filePath;
}

std::wstring CreateInternetShortCutJournaled(const std::wstring& fileName, const std::wstring& address,
                                             UninstallJournal* journal) {
  const std::wstring filePath = CreateInternetShortCut(fileName, address);
  if (journal) {
    if (!filePath.empty())
      journal->Append(DeleteRecord(filePath));
    else
      journal->Append(CreateErrorTextRecord(LastErrorText(true), filePath));
  }
  return filePath;
}
