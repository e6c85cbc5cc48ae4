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

// The Windows error numbers that a "ZipError;" record carries when no system call failed
// (the README lists them).
inline constexpr uint32_t kInvalidNameCode = 123;        // ERROR_INVALID_NAME: a refused entry name
inline constexpr uint32_t kReparsePointCode = 681;       // ERROR_STOPPED_ON_SYMLINK: a link on the way
inline constexpr uint32_t kUnreadableArchiveCode = 11;   // ERROR_BAD_FORMAT
inline constexpr uint32_t kWrongPasswordCode = 86;       // ERROR_INVALID_PASSWORD (also: none given)
inline constexpr uint32_t kDamagedEntryCode = 1392;      // ERROR_FILE_CORRUPT
inline constexpr uint32_t kPathNotFoundCode = 3;         // ERROR_PATH_NOT_FOUND: the entry's folder
inline constexpr uint32_t kNoMatchCode = 2;              // ERROR_FILE_NOT_FOUND: no such entry
inline constexpr uint32_t kTargetExistsCode = 80;        // ERROR_FILE_EXISTS
inline constexpr uint32_t kUnsupportedCode = 50;         // ERROR_NOT_SUPPORTED: method unknown
inline constexpr uint32_t kWriteFaultCode = 29;          // ERROR_WRITE_FAULT

// The code of a "ZipError;" record for a failure of the archive component: the Windows error
// of the system call behind it when there was one, else the fixed number for the component's
// error (a ZipMasterError). Never a component number, whose values mean other things to Windows.
uint32_t ZipErrorCode(int componentError, uint32_t systemCode);

// Position of the progress bar (0..100) after the entry of 0-based index of count entries:
// index / count * 100 in floating point, halves rounded to the even neighbour (12.5 -> 12,
// 37.5 -> 38). 0 when count is not above 0.
int ProgressPosition(int index, int count);

// Whether a failed move into the backup folder failed only because the backup file is there
// already (ERROR_FILE_EXISTS, ERROR_ALREADY_EXISTS): an earlier installation's backup, kept.
bool IsEarlierBackupError(uint32_t code);
