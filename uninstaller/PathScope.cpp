#include "uninstaller/PathScope.h"

#include <algorithm>
#include <array>
#include <vector>

#include "install/JournalRecords.h"
#include "support/ProductFacts.h"

namespace {

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// Reserved device names, which Windows opens as devices in any folder and with any extension.
bool IsDeviceName(std::wstring_view level) {
  std::wstring_view base = level.substr(0, level.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
  static constexpr std::array<std::wstring_view, 6> plain = {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$"};
  const std::wstring folded = FoldCase(base);
  for (std::wstring_view name : plain)
    if (folded == name) return true;
  if (folded.size() == 4 && (folded.starts_with(L"com") || folded.starts_with(L"lpt"))) {
    const wchar_t digit = folded[3];
    return (digit >= L'1' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  }
  return false;
}

bool IsBadNameChar(wchar_t c) {
  return c < 0x20 || c == 0x7F || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*' ||
         c == L':';
}

// The levels after the root, with "." and empty levels dropped and ".." applied; Win32 drops
// trailing dots and blanks of each level. literal: a "\\?\" path, whose levels Windows takes as
// they stand, so any level that would change is refused.
std::optional<std::vector<std::wstring>> NormalLevels(std::wstring_view rest, bool literal) {
  std::vector<std::wstring> levels;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find(L'\\', start);
    if (end == std::wstring_view::npos) end = rest.size();
    std::wstring_view level = rest.substr(start, end - start);
    start = end + 1;
    if (level.empty()) {
      if (literal && end < rest.size()) return std::nullopt;
      continue;
    }
    if (level == L"." || level == L"..") {
      if (literal) return std::nullopt;
      if (level == L"..") {
        if (levels.empty()) return std::nullopt;  // above the root
        levels.pop_back();
      }
      continue;
    }
    std::wstring_view trimmed = level;
    while (!trimmed.empty() && (trimmed.back() == L'.' || trimmed.back() == L' ')) trimmed.remove_suffix(1);
    if (trimmed.empty() || (literal && trimmed.size() != level.size())) return std::nullopt;
    for (wchar_t c : trimmed)
      if (IsBadNameChar(c)) return std::nullopt;
    if (IsDeviceName(trimmed)) return std::nullopt;
    levels.push_back(FoldCase(trimmed));
  }
  return levels;
}

std::wstring Join(const std::wstring& root, const std::vector<std::wstring>& levels) {
  std::wstring path = root;
  for (size_t i = 0; i < levels.size(); ++i) {
    if (i > 0 || path.back() != L'\\') path += L'\\';
    path += levels[i];
  }
  return path;
}

// "server\share" at the start of view becomes root "\\server\share"; view keeps what follows.
bool TakeShareRoot(std::wstring_view& view, std::wstring& root) {
  const size_t server = view.find(L'\\');
  if (server == std::wstring_view::npos || server == 0) return false;
  const size_t share = view.find(L'\\', server + 1);
  const auto parts = NormalLevels(view.substr(0, share == std::wstring_view::npos ? view.size() : share), true);
  if (!parts || parts->size() != 2) return false;
  root = L"\\\\" + (*parts)[0] + L"\\" + (*parts)[1];
  view = share == std::wstring_view::npos ? std::wstring_view() : view.substr(share + 1);
  return true;
}

// Without resolving short names.
std::optional<NormalPath> NormalizeLexically(std::wstring_view input) {
  if (input.empty() || input.size() > 32767) return std::nullopt;
  std::wstring path(input);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
    if (c == 0) return std::nullopt;
  }
  NormalPath out;
  out.isFolder = path.back() == L'\\';

  std::wstring_view view = path;
  bool literal = false;
  std::wstring root;
  if (StartsWithNoCase(view, L"\\\\?\\") || StartsWithNoCase(view, L"\\??\\")) {
    view.remove_prefix(4);
    literal = true;
    if (StartsWithNoCase(view, L"UNC\\")) {
      view.remove_prefix(4);
      if (!TakeShareRoot(view, root)) return std::nullopt;
    } else if (view.size() >= 2 && view[1] == L':' && ((view[0] | 0x20) >= L'a' && (view[0] | 0x20) <= L'z') &&
               (view.size() == 2 || view[2] == L'\\')) {
      root = std::wstring(1, static_cast<wchar_t>(view[0] | 0x20)) + L":\\";
      view.remove_prefix(view.size() == 2 ? 2 : 3);
    } else {
      return std::nullopt;  // GLOBALROOT, volume names, devices
    }
  } else if (StartsWithNoCase(view, L"\\\\")) {
    view.remove_prefix(2);
    if (StartsWithNoCase(view, L".\\") || view == L".") return std::nullopt;  // device namespace
    if (!TakeShareRoot(view, root)) return std::nullopt;
  } else if (view.size() >= 3 && view[1] == L':' && view[2] == L'\\' &&
             ((view[0] | 0x20) >= L'a' && (view[0] | 0x20) <= L'z')) {
    root = std::wstring(1, static_cast<wchar_t>(view[0] | 0x20)) + L":\\";
    view.remove_prefix(3);
  } else {
    return std::nullopt;  // relative, drive-relative or rooted on the current drive
  }
  const auto levels = NormalLevels(view, literal);
  if (!levels) return std::nullopt;
  out.path = Join(root, *levels);
  return out;
}

bool HasShortNameMark(std::wstring_view path) { return path.find(L'~') != std::wstring_view::npos; }

}  // namespace

std::optional<NormalPath> NormalizePath(std::wstring_view path, const ShortNameResolver& resolver) {
  auto normal = NormalizeLexically(path);
  if (!normal || !resolver || !HasShortNameMark(normal->path)) return normal;
  // The deepest existing level that resolves; the levels below it are kept as they are.
  std::wstring head = normal->path;
  std::wstring tail;
  while (true) {
    if (const auto resolved = resolver(head)) {
      const auto long_ = NormalizeLexically(*resolved + (tail.empty() ? L"" : L"\\" + tail));
      if (!long_) return std::nullopt;
      return NormalPath{long_->path, normal->isFolder};
    }
    const size_t cut = head.rfind(L'\\');
    if (cut == std::wstring::npos || cut + 1 >= head.size() || head.size() <= 3) return normal;
    tail = head.substr(cut + 1) + (tail.empty() ? L"" : L"\\" + tail);
    head.resize(cut == 2 ? 3 : cut);  // keep "x:\"
    if (!HasShortNameMark(head)) return normal;
  }
}

bool PathIsInside(std::wstring_view path, std::wstring_view folder) {
  if (folder.empty() || path.size() < folder.size() || path.substr(0, folder.size()) != folder) return false;
  return path.size() == folder.size() || folder.back() == L'\\' || path[folder.size()] == L'\\';
}

namespace {
// The non-empty levels of a key, each passed to visit; false when visit refuses one.
template <typename Visit>
bool ForEachKeyLevel(std::wstring_view key, Visit visit) {
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find(L'\\', start);
    if (end == std::wstring_view::npos) end = key.size();
    const std::wstring_view level = key.substr(start, end - start);
    start = end + 1;
    if (!level.empty() && !visit(level)) return false;
  }
  return true;
}
}  // namespace

std::optional<std::wstring> NormalizeRegistryKey(std::wstring_view key) {
  if (key.size() > 4096) return std::nullopt;
  std::wstring out;
  const bool valid = ForEachKeyLevel(key, [&out](std::wstring_view level) {
    if (level == L"." || level == L"..") return false;
    for (wchar_t c : level)
      if (c < 0x20 || c == 0x7F) return false;
    out += L'\\';
    out += FoldCase(level);
    return true;
  });
  if (!valid || out.empty()) return std::nullopt;
  return out;
}

std::wstring RegistryKeyForApi(std::wstring_view key) {
  std::wstring out;
  ForEachKeyLevel(key, [&out](std::wstring_view level) {
    if (!out.empty()) out += L'\\';
    out += level;
    return true;
  });
  return out;
}

std::optional<std::wstring> UninstallStringFolder(std::wstring_view value, const ShortNameResolver& resolver) {
  while (!value.empty() && value.front() == L' ') value.remove_prefix(1);
  std::wstring_view file = value;
  if (!value.empty() && value.front() == L'"') {
    const size_t close = value.find(L'"', 1);
    if (close == std::wstring_view::npos) return std::nullopt;
    file = value.substr(1, close - 1);
  } else {
    while (!file.empty() && file.back() == L' ') file.remove_suffix(1);
  }
  const auto normal = NormalizePath(file, resolver);
  if (!normal || normal->isFolder) return std::nullopt;
  const size_t cut = normal->path.rfind(L'\\');
  if (cut == std::wstring::npos) return std::nullopt;
  std::wstring folder = normal->path.substr(0, cut);
  if (folder.size() == 2) folder += L'\\';  // "x:" -> "x:\"
  return folder;
}

bool UninstallStringNames(std::wstring_view value, std::wstring_view uninstallerPath, const ShortNameResolver& resolver) {
  while (!value.empty() && value.front() == L' ') value.remove_prefix(1);
  std::wstring_view file = value;
  if (!value.empty() && value.front() == L'"') {
    const size_t close = value.find(L'"', 1);
    if (close == std::wstring_view::npos) return false;
    file = value.substr(1, close - 1);
  } else {
    while (!file.empty() && file.back() == L' ') file.remove_suffix(1);
  }
  const auto normal = NormalizePath(file, resolver);
  const auto expected = NormalizePath(uninstallerPath, resolver);
  return normal && expected && !normal->isFolder && normal->path == expected->path;
}

bool InstallPathNames(std::wstring_view value, std::wstring_view targetFolder, const ShortNameResolver& resolver) {
  const auto normal = NormalizePath(value, resolver);
  const auto expected = NormalizePath(targetFolder, resolver);
  return normal && expected && normal->path == expected->path;
}

std::optional<ProductScope> MakeProductScope(const ScopeInputs& in, std::wstring* refusal) {
  const auto refuse = [refusal](const std::wstring& why) -> std::optional<ProductScope> {
    if (refusal) *refusal = why;
    return std::nullopt;
  };
  const auto folder = NormalizePath(in.journalFolder, in.resolver);
  if (!folder) return refuse(L"Der Ordner des Journals ist kein gültiger Pfad: " + in.journalFolder);
  const auto destination = NormalizePath(in.destination, in.resolver);
  if (!destination) return refuse(L"Destination= ist kein gültiger Pfad: " + in.destination);
  if (folder->path != destination->path)
    return refuse(L"Das Journal liegt nicht in seinem Sicherungsordner (Destination=" + in.destination + L")");
  std::wstring dirName = FoldCase(product::uninstallDirName);
  if (!dirName.empty() && dirName.back() == L'\\') dirName.pop_back();
  const size_t cut = folder->path.rfind(L'\\');
  if (cut == std::wstring::npos || folder->path.substr(cut + 1) != dirName)
    return refuse(L"Der Ordner des Journals ist nicht der Sicherungsordner des Produkts: " + in.journalFolder);
  ProductScope scope;
  scope.backupFolder = folder->path;
  scope.targetFolder = folder->path.substr(0, cut);
  // A target directly at a drive root or share would open the whole drive.
  const bool driveRoot = scope.targetFolder.size() == 2 && scope.targetFolder[1] == L':';
  const bool shareRoot = scope.targetFolder.starts_with(L"\\\\") &&
                         std::count(scope.targetFolder.begin(), scope.targetFolder.end(), L'\\') <= 3;
  if (driveRoot || shareRoot)
    return refuse(L"Der Zielordner ist ein Laufwerk: " + in.journalFolder);
  if (!in.uninstallString.empty()) {
    const auto registered = UninstallStringFolder(in.uninstallString, in.resolver);
    if (!registered || *registered != scope.backupFolder)
      return refuse(L"Der Uninstall-Eintrag nennt einen anderen Ordner: " + in.uninstallString);
  }
  scope.uninstallerPath = scope.backupFolder + L"\\" + FoldCase(product::uninstallerFileName);
  if (const auto programs = NormalizePath(in.commonPrograms, in.resolver); programs && !in.commonPrograms.empty()) {
    // The Programs folder is at least one level below a root.
    if (programs->path.size() > 3 && !(programs->path.starts_with(L"\\\\") &&
                                       std::count(programs->path.begin(), programs->path.end(), L'\\') <= 3)) {
      scope.startMenuRoot = programs->path;
      if (const auto menu = NormalizePath(programs->path + L"\\" + product::startMenuSubPath)) scope.menuFolder = menu->path;
    }
  }
  scope.uninstallKey = NormalizeRegistryKey(std::wstring(product::uninstallKeyBase) + product::uninstallDirName).value_or(L"");
  scope.productKey = NormalizeRegistryKey(product::registryKey).value_or(L"");
  scope.publisherKey = NormalizeRegistryKey(product::publisherKey).value_or(L"");
  return scope;
}

std::optional<PlacedPath> PlacePath(const ProductScope& scope, std::wstring_view path, const ShortNameResolver& resolver) {
  const auto normal = NormalizePath(path, resolver);
  if (!normal) return std::nullopt;
  PlacedPath placed{*normal, PathArea::Outside};
  const std::wstring& p = normal->path;
  const bool isRoot = p.size() == 3 || (p.starts_with(L"\\\\") && std::count(p.begin(), p.end(), L'\\') <= 3);
  if (PathIsInside(p, scope.backupFolder)) {
    placed.area = PathArea::Backup;
  } else if (PathIsInside(p, scope.targetFolder)) {
    placed.area = PathArea::Target;
  } else if (!scope.menuFolder.empty() && PathIsInside(p, scope.menuFolder)) {
    placed.area = PathArea::StartMenu;
  } else if (!isRoot && PathIsInside(scope.targetFolder, p)) {
    placed.area = PathArea::AboveTarget;
  } else if (!scope.menuFolder.empty() && PathIsInside(scope.menuFolder, p) && PathIsInside(p, scope.startMenuRoot) &&
             p != scope.startMenuRoot) {
    placed.area = PathArea::AboveMenu;
  }
  return placed;
}

bool AreaAllowsFile(PathArea area) {
  return area == PathArea::Target || area == PathArea::Backup || area == PathArea::StartMenu;
}

bool AreaAllowsFolder(PathArea area) { return area != PathArea::Outside; }

KeyArea PlaceKey(const ProductScope& scope, std::wstring_view key) {
  const auto normal = NormalizeRegistryKey(key);
  if (!normal) return KeyArea::Outside;
  if (*normal == scope.uninstallKey) return KeyArea::UninstallEntry;
  if (*normal == scope.productKey) return KeyArea::ProductKey;
  if (*normal == scope.publisherKey) return KeyArea::PublisherKey;
  return KeyArea::Outside;
}
