// MyCreateShortCut: shell links (.lnk) through the shell's link object and internet shortcuts
// (.URL) as profile files, each with a journaled variant; and the shortcut stage of the install
// run, which fills the product's Start-menu folder. The name rules are portable; writing the
// files is Windows-only.
#pragma once
#include <cstdint>
#include <string>

#include "install/InstallRun.h"
#include "install/UninstallJournal.h"

// Where CreateShortCut puts a link.
enum ShortCutLocation : uint8_t {
  slDesktop = 0,      // HKCU ...\Explorer\Shell Folders, value "Desktop"
  slQuickLaunch = 1,  // HKCU ...\GrpConv\MapGroups, value "Quick Launch"
  slSendTo = 2,       // as slDesktop, value "SendTo"
  slStartMenu = 3,    // as slDesktop, value "Start Menu"
  slFolder = 4,       // the folder argument itself
};

// The entry that opens the add-on's folder of timetables; a fixed text, not looked up.
inline constexpr const wchar_t* kTimetableFolderLinkName = L"Verzeichnis mit Fahr- und Umlaufpläne öffnen";

// ---- Name rules -------------------------------------------------------------------------------

// The extension is the part from the last "." that stands after the last "\" or ":"; it is
// replaced by extension, or extension is appended when there is none.
std::wstring ChangeFileExt(const std::wstring& name, const std::wstring& extension);
// The part after the last "\" or ":".
std::wstring ExtractFileName(const std::wstring& path);
// The part up to and including the last "\" or ":" (empty when there is none).
std::wstring ExtractFilePath(const std::wstring& path);
// The link's file name: the link name (or the target when the name is empty) with the
// extension ".lnk", without any folder part.
std::wstring LinkFileName(const std::wstring& linkName, const std::wstring& target);

// Names the uninstall link (id 982 with productName) and the internet shortcut (id 983) in
// SetupConfig; called each time the settings step is shown.
void PrepareShortcutNames();

#ifdef _WIN32
// Writes one shell link and returns its path. The working folder is workingFolder, or the
// folder part of target when that is empty. The save's outcome is not examined. An empty path
// comes back only when a registry-based location has no folder; then nothing is written.
// Errors of the link object raise SetupError.
std::wstring CreateShortCut(const std::wstring& target, const std::wstring& linkName, ShortCutLocation location,
                            const std::wstring& folder, const std::wstring& workingFolder,
                            const std::wstring& arguments, const std::wstring& description);
// CreateShortCut, then "Delete;" + link path, or "CreateError;%u;%s" when no link was written.
std::wstring CreateShortCutJournaled(const std::wstring& target, const std::wstring& linkName,
                                     ShortCutLocation location, const std::wstring& folder,
                                     const std::wstring& workingFolder, const std::wstring& arguments,
                                     const std::wstring& description, UninstallJournal& journal);
// Writes the key "URL" = address into the section "InternetShortcut" of fileName with its
// extension replaced by ".URL", and returns that path. A failed write raises SetupError
// "In %s kann nicht geschrieben werden".
std::wstring CreateInternetShortCut(const std::wstring& fileName, const std::wstring& address);
// CreateInternetShortCut, then (with a journal) "Delete;" + path, or "CreateError;%s;%s".
std::wstring CreateInternetShortCutJournaled(const std::wstring& fileName, const std::wstring& address,
                                             UninstallJournal* journal);
// Links folder + fileName from the Start-menu folder when that file exists, else records
// "CreateError;%u;%s" with the existence test's error code and the path. Always true.
bool CreateDocumentShortcut(const std::wstring& folder, const std::wstring& fileName, const std::wstring& linkName,
                            UninstallJournal& journal);
// The shortcut stage: the Start-menu folder and its six entries. True when it has finished;
// false, after one "CreateError;3;" record and with nothing written, when startMenuDir is
// empty (the Start menu's folder was not found). Errors of the link object or the profile
// writer leave it raised.
bool CreateShortcuts(const InstallRun& run);
#endif
