#include <windows.h>

#include "platform/FileExistence.h"
#include "support/DebugLog.h"
#include "support/MyRegistryIO.h"
#include "support/SetupError.h"
#include "support/SmallFile.h"
#include "support/SteamLibrary.h"
#include "support/Utf8.h"

namespace {

void Refused(const std::wstring& what) { LogProc(3, L"SteamLibrary: " + what); }

std::wstring ReadValue(HKEY root, REGSAM view, const std::wstring& key, const std::wstring& name) {
  try {
    RegistryKey registry(KEY_READ | view);
    registry.SetRootKey(root);
    if (!registry.OpenKeyReadOnly(key)) return {};
    return registry.ReadString(name);
  } catch (const SetupError& e) {
    Refused(key + L" " + name + L": " + e.message());
    return {};
  }
}

// The client's folder: the machine-wide value first (the only one that belongs to the user who
// runs the setup when it was elevated with another account), then the current user's.
std::wstring ClientFolder() {
  const struct {
    HKEY root;
    REGSAM view;
    const wchar_t* key;
    const wchar_t* name;
  } sources[] = {
      {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, L"\\SOFTWARE\\Valve\\Steam", L"InstallPath"},
      {HKEY_CURRENT_USER, 0, L"\\Software\\Valve\\Steam", L"SteamPath"},
  };
  for (const auto& source : sources) {
    const std::wstring value = ReadValue(source.root, source.view, source.key, source.name);
    if (value.empty()) continue;
    const std::optional<std::wstring> folder = NormalizeLibraryPath(value);
    if (folder && DirectoryExists(*folder + L"\\")) return *folder;
    Refused(std::wstring(source.name) + L" not usable: \"" + value + L"\"");
  }
  return {};
}

std::optional<KeyValuesNode> ReadKeyValuesFile(const std::wstring& path) {
  std::wstring error;
  const std::optional<std::string> bytes = ReadSmallFile(path, steam::maxFileBytes, error);
  if (!bytes) {
    Refused(L"\"" + path + L"\" not read: " + error);
    return std::nullopt;
  }
  std::string parseError;
  std::optional<KeyValuesNode> file = ParseKeyValues(*bytes, &parseError);
  if (!file) Refused(L"\"" + path + L"\" not readable: " + Utf8ToWideLenient(parseError));
  return file;
}

// The game folder in one library, or empty text.
std::wstring GameFolderIn(const std::wstring& library) {
  const std::wstring manifestPath = library + L"\\" + steam::hostManifestFile;
  if (!FileExists(manifestPath)) return {};
  const std::optional<KeyValuesNode> manifest = ReadKeyValuesFile(manifestPath);
  if (!manifest) return {};
  const std::optional<std::string> raw = InstallDirFromManifest(*manifest);
  const std::optional<std::wstring> installDir = raw ? Utf8ToWide(*raw) : std::nullopt;
  if (!installDir || !IsPlainFolderName(*installDir)) {
    Refused(L"\"" + manifestPath + L"\": installdir refused: \"" + (raw ? Utf8ToWideLenient(*raw) : L"") + L"\"");
    return {};
  }
  const std::wstring folder = GameFolderInLibrary(library, *installDir);
  if (IsRemoteDrive(folder)) {
    Refused(L"\"" + folder + L"\" lies on a network drive");
    return {};
  }
  // A link anywhere below the library could send the elevated setup into any folder.
  // Asked without the trailing "\", which would make the platform look through a link.
  const std::wstring bare = folder.substr(0, folder.size() - 1);
  for (const std::wstring& part : {library + L"\\steamapps", library + L"\\steamapps\\common", bare}) {
    if (IsReparsePoint(part)) {
      Refused(L"\"" + part + L"\" is a link");
      return {};
    }
  }
  if (!DirectoryExists(folder)) {
    Refused(L"\"" + folder + L"\" does not exist");
    return {};
  }
  return folder;
}

}  // namespace

std::wstring FindGameInSteamLibraries() {
  const std::wstring client = ClientFolder();
  if (client.empty()) return {};
  std::vector<std::string> listed;
  if (const std::optional<KeyValuesNode> list = ReadKeyValuesFile(client + L"\\" + steam::libraryListFile))
    listed = LibraryFoldersFromList(*list);
  std::vector<std::string> rejected;
  const std::vector<std::wstring> libraries = LibrariesToSearch(client, listed, &rejected);
  for (const std::string& raw : rejected) Refused(L"library path refused: \"" + Utf8ToWideLenient(raw) + L"\"");
  for (const std::wstring& library : libraries) {
    const std::wstring folder = GameFolderIn(library);
    if (!folder.empty()) {
      LogProc(9, L"SteamLibrary: host found in \"" + folder + L"\"");
      return folder;
    }
  }
  return {};
}
