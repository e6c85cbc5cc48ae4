// Folders that only administrators and the system may change: the backup folder holds the
// uninstaller, which runs elevated from the uninstall entry.
#pragma once
#include <cstdint>
#include <string>

// The security descriptor given, as SDDL: owner Administrators; a protected list (nothing
// inherited from the parent) in which the system and Administrators have full control and
// Users may read and run; inherited by every file and folder created inside.
inline constexpr const wchar_t* kAdminOnlyFolderSddl =
    L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// Gives an existing folder that descriptor, also when someone else made it before. 0 on
// success, else the Windows error of the failing call.
uint32_t RestrictFolderToAdministrators(const std::wstring& folder);
