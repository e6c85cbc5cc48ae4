#include <windows.h>

#include "platform/Handles.h"
#include "support/DebugLog.h"
#include "support/ErrorText.h"
#include "support/Privilegien.h"

namespace {
void LogPrivilegeFailure(const wchar_t* call, const std::wstring& name) {
  // LastErrorText first: building the text must not disturb the last error.
  std::wstring error = LastErrorText(true);
  LogProc(3, std::wstring(L"GetNewPrivilege ") + call + L" [name=" + name + L", Error=" + error + L"]");
}
}  // namespace

bool GetNewPrivilege(const std::wstring& name) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    LogPrivilegeFailure(L"OpenProcessToken ", name);  // two blanks before "[" in this line
    return false;
  }
  unique_handle tokenOwner(token);

  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, name.c_str(), &privileges.Privileges[0].Luid)) {
    LogPrivilegeFailure(L"LookupPrivilegeValue", name);
    return false;
  }
  // A call that succeeds counts as enabled; its partial-success status
  // (ERROR_NOT_ALL_ASSIGNED when the token lacks the privilege) is deliberately not examined.
  if (!AdjustTokenPrivileges(tokenOwner.get(), FALSE, &privileges, 0, nullptr, nullptr)) {
    LogPrivilegeFailure(L"AdjustTokenPrivileges", name);
    return false;
  }
  return true;
}

uint32_t GetNewPrivileges(uint32_t mask, std::span<const wchar_t* const> names) {
  uint32_t failed = 0;
  for (uint32_t bit = 0; bit < names.size() && bit < 32; ++bit) {
    if ((mask & (1u << bit)) && !GetNewPrivilege(names[bit])) failed |= 1u << bit;
  }
  return failed;
}

uint32_t GetNewPrivileges(uint32_t mask) { return GetNewPrivileges(mask, kPrivilegeNames); }
