#include "platform/FolderLinks.h"

#include <windows.h>

#include "platform/Handles.h"

namespace {

unique_handle OpenLevel(const std::wstring& path, DWORD flags) {
  return unique_handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
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

}  // namespace

FolderLinkCheck FindFolderLink(const std::wstring& base, const std::wstring& relative) {
  FolderLinkCheck result;
  // The base is trusted as it is: its final path is where its levels must lie.
  const unique_handle baseHandle = OpenLevel(base, 0);
  if (!baseHandle) return result;
  std::wstring parentFinal = FinalPath(baseHandle.get());
  std::wstring path = base;
  size_t start = 0;
  while (start < relative.size()) {
    size_t end = relative.find_first_of(L"\\/", start);
    if (end == std::wstring::npos) end = relative.size();
    const std::wstring name = relative.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    path += name + L"\\";
    const unique_handle level = OpenLevel(path, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!level) return result;  // missing: created later, by the caller, as a plain folder
    FILE_ATTRIBUTE_TAG_INFO tag{};
    const bool reparse = GetFileInformationByHandleEx(level.get(), FileAttributeTagInfo, &tag, sizeof tag) &&
                         (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    const std::wstring final = FinalPath(level.get());
    const bool elsewhere = parentFinal.empty() || final.size() <= parentFinal.size() + 1 ||
                           !SameName(final.substr(0, parentFinal.size()), parentFinal) ||
                           final[parentFinal.size()] != L'\\' || !SameName(final.substr(parentFinal.size() + 1), name);
    if (reparse || elsewhere) {
      result.linked = true;
      result.level = path;
      return result;
    }
    parentFinal = final;
  }
  return result;
}
