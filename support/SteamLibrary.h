// Finding the host application in the store client's libraries when its uninstall entry is
// missing (a moved game folder, a second library). The client's files can be written by any
// user while the setup runs elevated, so every path taken from them is checked here before the
// setup proposes it.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/KeyValuesText.h"

namespace steam {
inline constexpr const wchar_t* hostAppId = L"555010";
inline constexpr const wchar_t* libraryListFile = L"steamapps\\libraryfolders.vdf";
inline constexpr const wchar_t* hostManifestFile = L"steamapps\\appmanifest_555010.acf";
// The client's files are small; anything larger is not read.
inline constexpr size_t maxFileBytes = 1 << 20;
}  // namespace steam

// The library folders of libraryfolders.vdf, in the order of their numbered keys: the current
// form ("1" { "path" "D:\\Lib" ... }) and the older one ("1" "D:\\Lib") alike. Other keys are
// ignored; a root section of another name gives none.
std::vector<std::string> LibraryFoldersFromList(const KeyValuesNode& file);

// The "installdir" of an app manifest; nullopt when it is missing or the manifest names
// another app.
std::optional<std::string> InstallDirFromManifest(const KeyValuesNode& file);

// A library folder as an absolute local path: drive letter (made upper case), ":\", segments
// separated by one "\" ("/" accepted), no trailing separator ("D:" for a drive root). nullopt
// for a relative, UNC or device path, control characters, a ":" stream, characters Windows
// refuses in names, a "." or ".." segment and segments ending in "." or " ".
std::optional<std::wstring> NormalizeLibraryPath(std::wstring_view path);

// True for one plain folder name: not empty, no separator, no ":" (drive or stream), not "."
// or "..", no control character or character Windows refuses, not ending in "." or " "
// (Windows would strip those, so ".. " would mean "..").
bool IsPlainFolderName(std::wstring_view name);

// The same folder, compared without regard to ASCII case.
bool SameFolder(std::wstring_view a, std::wstring_view b);

// The libraries to search: the client's own folder first, then the listed ones that can be
// normalised, each once. A listed spelling of the client's folder replaces the registry's
// (often all lower case). Listed paths that are refused are named in rejected.
std::vector<std::wstring> LibrariesToSearch(const std::wstring& clientFolder, const std::vector<std::string>& listed,
                                            std::vector<std::string>* rejected = nullptr);

// <library>\steamapps\common\<installDir>\ .
std::wstring GameFolderInLibrary(const std::wstring& library, const std::wstring& installDir);

#ifdef _WIN32
// The host application's folder (with a trailing "\") found through the client's libraries, or
// empty text. Each refused or missing piece is logged, and the search goes on with the next.
std::wstring FindGameInSteamLibraries();
#endif
