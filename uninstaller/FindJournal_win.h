// Where the journal to undo lies.
#pragma once
#include <string>

#include "uninstaller/UninstallOptions.h"

// The journal file: the /JOURNAL switch (uninstall.dat itself, or a folder holding it, or the
// target folder whose backup folder holds it); else uninstall.dat in the program's own folder
// (started from the uninstall entry or the Start-menu link); else in the backup folder of the
// target the setup would propose. Empty text when none of them holds one.
std::wstring FindJournal(const UninstallOptions& options, const std::wstring& ownFolder);

// The journal in a folder the user chose: the backup folder itself or the target folder above it.
std::wstring JournalInFolder(const std::wstring& folder);

// The folder the user is asked about first when nothing was found: the proposed target.
std::wstring ProposedTarget();
