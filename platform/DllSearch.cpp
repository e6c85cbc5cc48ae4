#include "platform/DllSearch.h"

#include <string>

bool HardenDllSearch() {
  // Looked up rather than imported, so that the program still starts where the call is missing.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
  SetDllDirectoryW(L"");
  return false;
}

unique_hmodule LoadSystemLibrary(const wchar_t* fileName) {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n > MAX_PATH) return unique_hmodule();
  const std::wstring path = std::wstring(folder, n) + L"\\" + fileName;
  return unique_hmodule(LoadLibraryExW(path.c_str(), nullptr, 0));
}
