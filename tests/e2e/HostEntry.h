// The host application's entry in the Windows list of installed programs, written into one
// registry view for a scenario and removed again afterwards.
#pragma once
#include <windows.h>

#include <string>

class HostEntry {
 public:
  static constexpr const wchar_t* kKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Steam App 555010";

  // view: KEY_WOW64_32KEY or KEY_WOW64_64KEY.
  HostEntry(REGSAM view, const std::wstring& installLocation) : view(view) {
    Remove(view);
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE | view, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      RegSetValueExW(key, L"InstallLocation", 0, REG_SZ, reinterpret_cast<const BYTE*>(installLocation.c_str()),
                     static_cast<DWORD>((installLocation.size() + 1) * sizeof(wchar_t)));
      RegCloseKey(key);
    }
  }
  ~HostEntry() { Remove(view); }
  HostEntry(const HostEntry&) = delete;
  HostEntry& operator=(const HostEntry&) = delete;

  static void Remove(REGSAM view) { RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kKey, view, 0); }
  static void RemoveAll() {
    Remove(KEY_WOW64_32KEY);
    Remove(KEY_WOW64_64KEY);
  }

 private:
  REGSAM view;
};
