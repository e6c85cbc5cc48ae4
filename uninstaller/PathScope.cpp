#include "uninstaller/PathScope.h"

std::optional<NormalPath> NormalizePath(std::wstring_view, const ShortNameResolver&) { return std::nullopt; }
bool PathIsInside(std::wstring_view, std::wstring_view) { return false; }
std::optional<std::wstring> NormalizeRegistryKey(std::wstring_view) { return std::nullopt; }
std::optional<ProductScope> MakeProductScope(const ScopeInputs&, std::wstring* refusal) {
  if (refusal) *refusal = L"not built yet";
  return std::nullopt;
}
std::optional<PlacedPath> PlacePath(const ProductScope&, std::wstring_view, const ShortNameResolver&) { return std::nullopt; }
bool AreaAllowsFile(PathArea) { return false; }
bool AreaAllowsFolder(PathArea) { return false; }
KeyArea PlaceKey(const ProductScope&, std::wstring_view) { return KeyArea::Outside; }
bool UninstallStringNames(std::wstring_view, std::wstring_view, const ShortNameResolver&) { return false; }
bool InstallPathNames(std::wstring_view, std::wstring_view, const ShortNameResolver&) { return false; }
std::optional<std::wstring> UninstallStringFolder(std::wstring_view, const ShortNameResolver&) { return std::nullopt; }
