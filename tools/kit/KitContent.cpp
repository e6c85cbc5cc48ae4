#include "tools/kit/KitContent.h"

#include <algorithm>
#include <map>
#include <system_error>

#include "install/BestFitNames.h"
#include "install/ZipEntryName.h"
#include "support/Utf8.h"
#ifdef _WIN32
#include "platform/FileExistence.h"
#endif

namespace fs = std::filesystem;

namespace {

// Simple case folding of the Latin letters: ASCII, Latin-1 and Latin Extended-A (the German,
// Czech, Polish and other letters of the code pages the setup runs under).
wchar_t FoldChar(wchar_t c) {
  const auto u = static_cast<unsigned>(c);
  if (u >= 'A' && u <= 'Z') return static_cast<wchar_t>(u + 32);
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<wchar_t>(u + 32);
  if (u == 0x178) return static_cast<wchar_t>(0xFF);
  if (u >= 0x100 && u <= 0x17F && u != 0x130 && u != 0x131 && u != 0x138 && u != 0x149 && u != 0x17F) {
    // Pairs start at an even code point, except in 0x139..0x148 and 0x179..0x17E.
    const bool oddPairs = (u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E);
    if (oddPairs ? (u % 2 == 1) : (u % 2 == 0)) return static_cast<wchar_t>(u + 1);
  }
  return c;
}

std::optional<std::wstring> NameText(const fs::path& relative) {
#ifdef _WIN32
  std::wstring name = relative.generic_wstring();
  // Unpaired surrogates cannot be stored as UTF-8.
  const auto back = Utf8ToWide(WideToUtf8(name));
  if (!back || *back != name) return std::nullopt;
  return name;
#else
  return Utf8ToWide(relative.generic_string());
#endif
}

}  // namespace

std::wstring FoldedName(const std::wstring& name) {
  std::wstring folded = name;
  for (wchar_t& c : folded) c = FoldChar(c);
  if (!folded.empty() && folded.back() == L'/') folded.pop_back();
  return folded;
}

std::optional<std::string> RefusalOfName(const std::wstring& name) {
  for (wchar_t c : name) {
    if (c == L'\\') return "contains a \"\\\", which Windows takes for a folder separator";
    if (std::wstring_view(L"<>\"|?*").find(c) != std::wstring_view::npos)
      return "contains a character Windows refuses in names (< > \" | ? *)";
  }
  if (!IsSafeEntryName(name))
    return "is refused by the setup (absolute, drive, \":\" stream, \".\" or \"..\", a name ending in \".\" or \" \", "
           "a control character or a device name)";
  if (const unsigned codePage = CodePageMakingUnsafe(name))
    return "becomes \"" + WideToUtf8(BestFitForm(name, BestFitToAscii(codePage))) +
           "\" when Windows converts it to code page " + std::to_string(codePage) + " (best fit)";
  size_t start = 0;
  while (start < name.size()) {
    size_t end = name.find(L'/', start);
    if (end == std::wstring::npos) end = name.size();
    if (end - start > 255) return "has a part longer than 255 characters";
    start = end + 1;
  }
  return std::nullopt;
}

bool CollectContent(const fs::path& root, std::vector<KitEntry>& entries, std::string& error) {
  std::error_code ec;
  if (!fs::is_directory(root, ec)) {
    error = Shown(root) + ": not a folder";
    return false;
  }
  std::map<std::wstring, std::string> seen;  // folded name -> first name
  fs::recursive_directory_iterator it(root, fs::directory_options::none, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const fs::path& path = it->path();
    const fs::file_status status = it->symlink_status(ec);
    if (ec) break;
    const fs::path relative = path.lexically_relative(root);
    bool link = fs::is_symlink(status);
#ifdef _WIN32
    link = link || IsReparsePoint(path.wstring());  // junctions as well
#endif
    if (link) {
      error = Shown(relative) + ": is a link; links are not packed (their target may lie outside the content folder)";
      return false;
    }
    const bool isDirectory = fs::is_directory(status);
    if (!isDirectory && !fs::is_regular_file(status)) {
      error = Shown(relative) + ": neither a folder nor a regular file";
      return false;
    }
    std::optional<std::wstring> name = NameText(relative);
    if (!name) {
      error = Shown(relative) + ": the name is not valid Unicode text";
      return false;
    }
    if (isDirectory) *name += L'/';
    if (auto refusal = RefusalOfName(*name)) {
      error = WideToUtf8(*name) + ": the name " + *refusal;
      return false;
    }
    KitEntry entry;
    entry.name = WideToUtf8(*name);
    entry.source = path;
    entry.isDirectory = isDirectory;
    if (!isDirectory) {
      entry.size = fs::file_size(path, ec);
      if (ec) break;
    }
    const auto [known, fresh] = seen.emplace(FoldedName(*name), entry.name);
    if (!fresh) {
      error = entry.name + ": Windows takes it for the same file as " + known->second;
      return false;
    }
    entries.push_back(std::move(entry));
  }
  if (ec) {
    error = Shown(root) + ": cannot be read completely (" + ec.message() + ")";
    return false;
  }
  if (entries.empty()) {
    error = Shown(root) + ": the content folder is empty";
    return false;
  }
  std::sort(entries.begin(), entries.end(), [](const KitEntry& a, const KitEntry& b) { return a.name < b.name; });
  return true;
}
