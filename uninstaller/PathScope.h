// Where the uninstaller may act. Paths and keys from the journal are normalised first, so that
// no spelling ("..", "/", 8.3 names, streams, device names, "\\?\" forms) leads outside the
// product's folders; the allowed area itself comes from outside the journal (the folder where
// it was found, the uninstall entry, the machine's common Programs folder).
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Expands 8.3 short names of an existing path to long names; returns nullopt when it cannot
// (the path or a level of it does not exist). The executor passes GetLongPathNameW; native tests
// a table. Called with a normalised absolute path; may be empty (no resolution).
using ShortNameResolver = std::function<std::optional<std::wstring>(const std::wstring&)>;

// A path in one canonical form, "X:\a\b" or "\\server\share\a\b" (lower case, "\" separators,
// no "." or ".." levels, no repeated separators, no trailing dots or blanks on a level, no
// trailing "\" except on a root "x:\"). isFolder is true when the input ended with "\".
// nullopt for anything that is not a plain absolute file-system path: relative paths, paths
// that climb above their root, ":" streams, device names (CON, NUL, COM1, ...) at any level,
// "\\?\GLOBALROOT" and "\\.\" device paths, empty levels that cannot be dropped, NUL characters.
// "\\?\X:\..." and "\\?\UNC\server\share\..." are taken as "X:\..." and "\\server\share\...".
struct NormalPath {
  std::wstring path;
  bool isFolder = false;
};
std::optional<NormalPath> NormalizePath(std::wstring_view path, const ShortNameResolver& resolver = {});

// "a" is "b" or lies below it (both normalised).
bool PathIsInside(std::wstring_view path, std::wstring_view folder);

// A registry key below HKEY_LOCAL_MACHINE in one form for comparing: lower case, single
// separators, one leading "\" and no trailing one ("\software\quellmark media"). nullopt for an
// empty key or one with "." / ".." levels or control characters.
std::optional<std::wstring> NormalizeRegistryKey(std::wstring_view key);

// The same key in the form RegDeleteKeyExW takes: single separators, none leading or trailing,
// the case as given ("SOFTWARE\Quellmark Media\Drivona2 Ostrauwen").
std::wstring RegistryKeyForApi(std::wstring_view key);

// What the caller knows from outside the journal.
struct ScopeInputs {
  std::wstring journalFolder;      // the folder the journal files were found in
  std::wstring destination;        // the journal's "Destination=" value (last run)
  std::wstring uninstallString;    // the uninstall entry's UninstallString, empty when not known
  std::wstring commonPrograms;     // the common Programs folder of the Start menu
  ShortNameResolver resolver;
};

// The allowed area, all normalised.
struct ProductScope {
  std::wstring backupFolder;   // the folder of the journal = "Destination="
  std::wstring targetFolder;   // its parent
  std::wstring startMenuRoot;  // commonPrograms
  std::wstring menuFolder;     // commonPrograms + product::startMenuSubPath
  std::wstring uninstallKey;   // product::uninstallKeyBase + key name (normalised key)
  std::wstring productKey;     // product::registryKey (normalised key)
  std::wstring publisherKey;   // product::publisherKey (normalised key)
  std::wstring uninstallerPath;  // backupFolder + "\uninstall.exe"
};

// nullopt, with the reason in *refusal, when the journal must be refused as a whole: the
// journal folder is not the "Destination=" folder, does not end with product::uninstallDirName,
// is a drive root's child with no parent to be the target, or is not the folder of
// UninstallString (quoted or not, when given).
std::optional<ProductScope> MakeProductScope(const ScopeInputs& inputs, std::wstring* refusal = nullptr);

// Where a path lies with respect to the scope.
enum class PathArea {
  Outside,       // not to be touched
  Target,        // inside the target folder (not the backup folder)
  Backup,        // the backup folder or inside it
  StartMenu,     // the product's menu folder or inside it
  AboveTarget,   // a folder above the target folder (only "rmDir;" of empty levels)
  AboveMenu,     // a folder between the common Programs folder and the menu folder
};
// Normalises and places a journal path (nullopt when it does not normalise).
struct PlacedPath {
  NormalPath normal;
  PathArea area = PathArea::Outside;
};
std::optional<PlacedPath> PlacePath(const ProductScope& scope, std::wstring_view path, const ShortNameResolver& resolver = {});

// Whether a record of this kind may act on a path of this area: files only in Target, Backup,
// StartMenu; folders ("rmDir;") also in AboveTarget and AboveMenu; never a drive root or the
// common Programs folder itself.
bool AreaAllowsFile(PathArea area);
bool AreaAllowsFolder(PathArea area);

// Registry: which of the product's keys a key is (the uninstall entry, the product key, the
// publisher key), or none.
enum class KeyArea { Outside, UninstallEntry, ProductKey, PublisherKey };
KeyArea PlaceKey(const ProductScope& scope, std::wstring_view key);

// Whether an UninstallString (quoted or not, perhaps with arguments after the quoted path)
// names this uninstaller; whether an InstallPath names this target folder.
bool UninstallStringNames(std::wstring_view value, std::wstring_view uninstallerPath, const ShortNameResolver& resolver = {});
bool InstallPathNames(std::wstring_view value, std::wstring_view targetFolder, const ShortNameResolver& resolver = {});

// The folder part of an UninstallString ("\"C:\x\uninstall.exe\"" or unquoted), normalised;
// nullopt when it does not name an absolute file.
std::optional<std::wstring> UninstallStringFolder(std::wstring_view value, const ShortNameResolver& resolver = {});
