#include "support/SteamLibrary.h"

#include <algorithm>

#include "support/Utf8.h"

namespace {

bool IsDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Numeric order of digit strings of any length.
bool NumberLess(std::string_view a, std::string_view b) {
  auto strip = [](std::string_view s) {
    while (s.size() > 1 && s.front() == '0') s.remove_prefix(1);
    return s;
  };
  a = strip(a);
  b = strip(b);
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

bool IsControl(wchar_t c) {
  const auto u = static_cast<unsigned>(c);
  return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

bool IsRefusedInName(wchar_t c) {
  return IsControl(c) || std::wstring_view(L"<>:\"|?*").find(c) != std::wstring_view::npos;
}

wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

}  // namespace

std::vector<std::string> LibraryFoldersFromList(const KeyValuesNode& file) {
  const KeyValuesNode* list = file.Find("libraryfolders");
  if (list == nullptr || !list->isSection) return {};
  std::vector<const KeyValuesNode*> numbered;
  for (const KeyValuesNode& item : list->children)
    if (IsDigits(item.key)) numbered.push_back(&item);
  std::stable_sort(numbered.begin(), numbered.end(),
                   [](const KeyValuesNode* a, const KeyValuesNode* b) { return NumberLess(a->key, b->key); });
  std::vector<std::string> folders;
  for (const KeyValuesNode* item : numbered) {
    if (!item->isSection) {
      folders.push_back(item->value);
    } else if (auto path = item->ValueOf("path")) {
      folders.push_back(*path);
    }
  }
  return folders;
}

std::optional<std::string> InstallDirFromManifest(const KeyValuesNode& file) {
  const KeyValuesNode* app = file.Find("AppState");
  if (app == nullptr || !app->isSection) return std::nullopt;
  if (auto id = app->ValueOf("appid"); id && *id != WideToUtf8(steam::hostAppId)) return std::nullopt;
  return app->ValueOf("installdir");
}

std::optional<std::wstring> NormalizeLibraryPath(std::wstring_view path) {
  std::wstring p(path);
  std::replace(p.begin(), p.end(), L'/', L'\\');
  if (p.size() < 3 || p.size() > 1024 || p[1] != L':' || p[2] != L'\\') return std::nullopt;
  const wchar_t drive = p[0];
  if (!((drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z'))) return std::nullopt;
  std::wstring result(1, static_cast<wchar_t>(drive & ~0x20));
  result += L':';
  size_t pos = 3;
  while (pos < p.size()) {
    size_t end = p.find(L'\\', pos);
    if (end == std::wstring::npos) end = p.size();
    const std::wstring_view segment = std::wstring_view(p).substr(pos, end - pos);
    pos = end + 1;
    if (segment.empty()) continue;  // doubled or trailing separators
    if (!IsPlainFolderName(segment)) return std::nullopt;
    result += L'\\';
    result += segment;
  }
  return result;
}

bool IsPlainFolderName(std::wstring_view name) {
  if (name.empty() || name.size() > 255 || name == L"." || name == L"..") return false;
  for (wchar_t c : name)
    if (c == L'\\' || c == L'/' || IsRefusedInName(c)) return false;
  return name.back() != L'.' && name.back() != L' ';
}

bool SameFolder(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return AsciiLower(x) == AsciiLower(y); });
}

std::vector<std::wstring> LibrariesToSearch(const std::wstring& clientFolder, const std::vector<std::string>& listed,
                                            std::vector<std::string>* rejected) {
  std::vector<std::wstring> libraries;
  if (auto client = NormalizeLibraryPath(clientFolder)) libraries.push_back(*client);
  for (const std::string& raw : listed) {
    const std::optional<std::wstring> wide = Utf8ToWide(raw);
    const std::optional<std::wstring> folder = wide ? NormalizeLibraryPath(*wide) : std::nullopt;
    if (!folder) {
      if (rejected) rejected->push_back(raw);
      continue;
    }
    auto same = std::find_if(libraries.begin(), libraries.end(),
                             [&](const std::wstring& known) { return SameFolder(known, *folder); });
    if (same == libraries.end()) {
      libraries.push_back(*folder);
    } else if (same == libraries.begin()) {
      *same = *folder;
    }
  }
  return libraries;
}

std::wstring GameFolderInLibrary(const std::wstring& library, const std::wstring& installDir) {
  return library + L"\\steamapps\\common\\" + installDir + L"\\";
}
