// What an installation may change on the machine, captured for comparing before and after:
// every file on C: outside windows\ and users\ with a hash of its bytes, the temporary folder,
// and the 32-bit registry view below HKLM\Software with every value's type and data.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class MachineSnapshot {
 public:
  static MachineSnapshot Take() {
    MachineSnapshot s;
    s.AddTree(L"C:\\", true);
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    s.AddTree(temp, false);
    s.AddKey(L"SOFTWARE");
    return s;
  }

  // "+ path" for what is new, "- path" for what is gone, "* path" for what changed, sorted.
  std::vector<std::wstring> DifferencesTo(const MachineSnapshot& after) const {
    std::vector<std::wstring> out;
    for (const auto& [name, hash] : entries) {
      const auto found = after.entries.find(name);
      if (found == after.entries.end()) out.push_back(L"- " + name);
      else if (found->second != hash) out.push_back(L"* " + name);
    }
    for (const auto& [name, hash] : after.entries)
      if (!entries.count(name)) out.push_back(L"+ " + name);
    return out;
  }

 private:
  static uint64_t Hash(const uint8_t* data, size_t size, uint64_t h = 1469598103934665603ull) {
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
    return h;
  }

  void AddFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    uint64_t h = 1469598103934665603ull;
    if (file != INVALID_HANDLE_VALUE) {
      uint8_t buffer[65536];
      DWORD read = 0;
      while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read) h = Hash(buffer, read, h);
      CloseHandle(file);
    }
    entries[L"file " + Lower(path)] = h;
  }

  void AddTree(const std::wstring& folder, bool skipSystem) {
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring lower = Lower(name);
      if (skipSystem && (lower == L"windows" || lower == L"users")) continue;
      const std::wstring path = folder + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        entries[L"dir  " + Lower(path) + L"\\"] = 0;
        AddTree(path + L"\\", false);
      } else {
        AddFile(path);
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }

  void AddKey(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) return;
    entries[L"key  " + Lower(path) + L"\\"] = 0;
    std::vector<wchar_t> name(16384);
    std::vector<uint8_t> value(1 << 16);
    for (DWORD i = 0;; ++i) {
      DWORD nameSize = static_cast<DWORD>(name.size()), valueSize = static_cast<DWORD>(value.size()), type = 0;
      if (RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, value.data(), &valueSize) != ERROR_SUCCESS) break;
      entries[L"val  " + Lower(path) + L"\\" + std::wstring(name.data(), nameSize)] =
          Hash(value.data(), valueSize, type);
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
      DWORD nameSize = static_cast<DWORD>(name.size());
      if (RegEnumKeyExW(key, i, name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      subkeys.emplace_back(name.data(), nameSize);
    }
    RegCloseKey(key);
    for (const std::wstring& sub : subkeys) AddKey(path + L"\\" + sub);
  }

  static std::wstring Lower(std::wstring text) {
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
  }

  std::map<std::wstring, uint64_t> entries;
};
