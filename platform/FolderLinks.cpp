#include "platform/FolderLinks.h"

#include <windows.h>

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

unique_handle Open(const std::wstring& path, DWORD share, DWORD flags) {
  return unique_handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
}

std::wstring FinalPath(HANDLE handle) {
  std::wstring path(MAX_PATH, L'\0');
  DWORD size = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
  if (size >= path.size()) {
    path.resize(size + 1);
    size = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
  }
  if (size == 0 || size >= path.size()) return {};
  path.resize(size);
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

std::wstring Upper(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// Whether final is parentFinal + "\" + name.
bool LiesUnder(const std::wstring& final, const std::wstring& parentFinal, const std::wstring& name) {
  if (parentFinal.empty() || final.size() <= parentFinal.size() + 1) return false;
  return SameName(final.substr(0, parentFinal.size()), parentFinal) && final[parentFinal.size()] == L'\\' &&
         SameName(final.substr(parentFinal.size() + 1), name);
}

}  // namespace

FolderLinkGuard::FolderLinkGuard(std::wstring base) : base(std::move(base)) {}

FolderLinkCheck FolderLinkGuard::Check(const std::wstring& relative) {
  FolderLinkCheck result;
  if (baseFinal.empty()) {
    // Looked up at the first check that finds the base: the caller may create it first.
    const unique_handle handle = Open(base, kShareAll, 0);
    if (handle) baseFinal = FinalPath(handle.get());
    if (baseFinal.empty()) return result;  // no base: nothing below it exists either
  }
  std::wstring path = base;
  std::wstring parentFinal = baseFinal;
  size_t start = 0;
  while (start < relative.size()) {
    size_t end = relative.find_first_of(L"\\/", start);
    if (end == std::wstring::npos) end = relative.size();
    const std::wstring name = relative.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    path += name + L"\\";
    const std::wstring key = Upper(path);
    if (auto it = held.find(key); it != held.end()) {
      parentFinal = it->second.finalPath;
      continue;
    }
    // Held without delete sharing where possible; someone else's open handle with delete
    // access only costs the hold, not the check.
    unique_handle handle = Open(path, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!handle && GetLastError() == ERROR_SHARING_VIOLATION) handle = Open(path, kShareAll, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!handle) return result;  // missing: made later, by the caller, as a plain folder
    FILE_ATTRIBUTE_TAG_INFO tag{};
    const bool reparse = GetFileInformationByHandleEx(handle.get(), FileAttributeTagInfo, &tag, sizeof tag) &&
                         (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    std::wstring final = FinalPath(handle.get());
    if (reparse || !LiesUnder(final, parentFinal, name)) {
      result.linked = true;
      result.level = path;
      return result;
    }
    parentFinal = final;
    held.emplace(key, Level{std::move(handle), std::move(final)});
  }
  return result;
}
