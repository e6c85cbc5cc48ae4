// Fixed values and small rules of the install run that need no platform.
#pragma once
#include <cstdint>

// The archive password (15 characters).
inline constexpr const wchar_t* kArchivePassword = L"HaLtEr@20150307";

// Progress texts; each ends with three dots and one blank. Fixed, not looked up.
inline constexpr const wchar_t* kProgressLabel = L"Installiere Addon";
inline constexpr const wchar_t* kCopyingFiles = L"Kopiere Dateien ... ";
inline constexpr const wchar_t* kInstallingUninstaller = L"Installiere Uninstaller ... ";
inline constexpr const wchar_t* kInstallingShortcuts = L"Installiere Shortcuts ... ";
inline constexpr const wchar_t* kRegistering = L"Registriere in Registry ... ";
inline constexpr const wchar_t* kDataFileMissing = L"Datendatei nicht gefunden!";

// The publisher's key with one trailing backslash, recorded after productRegistryKey (two).
inline constexpr const wchar_t* kPublisherKeyRecord = L"DelRegKey;\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\";
inline constexpr const wchar_t* kInstallPathValue = L"InstallPath";

// ERROR_INVALID_NAME: the code recorded for an entry whose name would leave the target folder.
inline constexpr uint32_t kInvalidNameCode = 123;

// Position of the progress bar (0..100) after the entry of 0-based index of count entries:
// index / count * 100 in floating point, halves rounded to the even neighbour (12.5 -> 12,
// 37.5 -> 38). 0 when count is not above 0.
int ProgressPosition(int index, int count);

// Whether a failed move into the backup folder failed only because the backup file is there
// already (ERROR_FILE_EXISTS, ERROR_ALREADY_EXISTS): an earlier installation's backup, kept.
bool IsEarlierBackupError(uint32_t code);
