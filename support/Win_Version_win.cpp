#include <windows.h>

#include <cwchar>

#include "platform/Handles.h"
#include "support/ErrorText.h"
#include "support/Win_Version.h"

WindowsVersionRecord QueryWindowsVersion() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  WindowsVersionRecord r;
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
    r.queryFailed = true;
    r.errorCode = GetLastError();
    return r;
  }
  r.majorVersion = info.dwMajorVersion;
  r.minorVersion = info.dwMinorVersion;
  r.buildNumber = info.dwBuildNumber;
  r.platformId = info.dwPlatformId;
  r.servicePack.assign(info.szCSDVersion, wcsnlen(info.szCSDVersion, std::size(info.szCSDVersion)));
  r.servicePackMajor = info.wServicePackMajor;
  r.servicePackMinor = info.wServicePackMinor;
  r.suiteMask = info.wSuiteMask;
  r.productType = info.wProductType;
  return r;
}

std::wstring GetWindowsBuildStr() { return WindowsBuildText(QueryWindowsVersion()); }

std::wstring GetWindowsVersionsStr(bool withBuild, bool withBitness) {
  WindowsVersionRecord r = QueryWindowsVersion();
  bool wow64 = withBitness && IsWow64();
  return WindowsVersionText(r, withBuild, withBitness, wow64);
}

bool IsWow64() {
#ifdef _WIN64
  // The product is a 32-bit program; the 64-bit build exists only to run the tests where
  // 32-bit code cannot run. A 64-bit process always runs on 64-bit Windows, where the 32-bit
  // product would be a WOW64 process: answer as it would.
  return true;
#else
  unique_hmodule kernel(LoadLibraryW(L"kernel32.dll"));
  if (!kernel) RaiseLastSystemError();
  using IsWow64ProcessProc = BOOL(WINAPI*)(HANDLE, PBOOL);
  // Through void(*)() so that the cast from FARPROC draws no function-type warning.
  auto isWow64Process = reinterpret_cast<IsWow64ProcessProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel.get(), "IsWow64Process")));
  // Absent on systems that predate 64-bit Windows.
  if (!isWow64Process) return false;
  BOOL wow64 = FALSE;
  if (!isWow64Process(GetCurrentProcess(), &wow64)) RaiseLastSystemError();
  return wow64 != FALSE;
#endif
}
