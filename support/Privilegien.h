// Privilegien: enabling privileges in the process token (the wizard's administrator test).
#pragma once
#include <cstdint>
#include <span>
#include <string>

// Privilege names by bit of a privilege mask (bit 0 = mask 1, ..., bit 5 = mask 32).
inline constexpr const wchar_t* kPrivilegeNames[] = {
    L"SeBackupPrivilege",        L"SeRestorePrivilege",       L"SeSecurityPrivilege",
    L"SeTakeOwnershipPrivilege", L"SeSystemProfilePrivilege", L"SeManageVolumePrivilege",
};

#ifdef _WIN32
// True when AdjustTokenPrivileges accepted the privilege; failures are logged at level 3.
bool GetNewPrivilege(const std::wstring& name);
// The bits of mask whose privileges could not be enabled; bits above 5 are ignored.
uint32_t GetNewPrivileges(uint32_t mask);
// The same over another name table (bit i selects names[i]; bits beyond the table are ignored).
uint32_t GetNewPrivileges(uint32_t mask, std::span<const wchar_t* const> names);
#endif
