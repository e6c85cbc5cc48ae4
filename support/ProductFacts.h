// The product's facts, shared by Setup.exe and uninstall.exe: names, folders, registry keys
// and files that both programs must spell the same way.
#pragma once
#include <cstdint>

namespace product {
inline constexpr const wchar_t* name = L"Drivona2 Ostrauwen Version 1.2";
// The publisher notice in the right panel of the status bar and the uninstall entry's Publisher.
inline constexpr const wchar_t* publisherNotice = L"\u00A9 2015 Quellmark Media";
// The publisher's web site, the target of the internet shortcut in the Start menu. With its
// scheme: the shell opens an internet shortcut only for an absolute address.
inline constexpr const wchar_t* webAddress = L"https://www.quellmark-media.de";

inline constexpr int64_t defaultRequiredBytes = 1689255936;  // about 1.57 GiB
inline constexpr const wchar_t* dataFileBaseName = L"Ostrauwen_1-2";
inline constexpr const wchar_t* dataFileExtension = L".dat";

// Below HKEY_LOCAL_MACHINE, 32-bit view. The product key ends with two backslashes.
inline constexpr const wchar_t* registryKey = L"\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\\\";
// The publisher's key above it: created by the setup, never journaled, removed when empty.
inline constexpr const wchar_t* publisherKey = L"\\SOFTWARE\\Quellmark Media\\";
// The uninstall entry's parent key, spelled so for writing and in the journal.
inline constexpr const wchar_t* uninstallKeyBase = L"\\SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// The backup folder inside the target folder; also the uninstall entry's key name.
inline constexpr const wchar_t* uninstallDirName = L"Uninstall_Drivona2 Ostrauwen V1.2\\";
// The proposed target folder: the host's install location (this value of its uninstall entry),
// else this sub path below the Program Files folder.
inline constexpr const wchar_t* hostLocationValue = L"InstallLocation";
inline constexpr const wchar_t* defaultTargetSubPath = L"Quellmark Media\\Drivona2 Ostrauwen\\";

// Below the common Programs folder.
inline constexpr const wchar_t* startMenuSubPath = L"Quellmark Media\\Drivona2 Ostrauwen\\";

// Files in the backup folder.
inline constexpr const wchar_t* uninstallerFileName = L"uninstall.exe";
inline constexpr const wchar_t* journalFileName = L"uninstall.dat";

// Only one setup or uninstaller of this product runs at a time.
inline constexpr const wchar_t* singleInstanceMutex = L"Global\\Drivona2 Ostrauwen V1.2 Setup";
}  // namespace product
